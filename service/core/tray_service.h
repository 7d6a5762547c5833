// The service object of the installed service: the core plus the closer run, the system's
// shutdown and local notifications.
#pragma once

#include <memory>

#include "platform/power.h"
#include "service/core/service_core.h"
#include "service/shutdown/shutdown_sequence.h"

namespace gw {

class TrayService final : public ServiceCore {
 public:
  // `power` performs the system's shutdown; `log` (not owned, may be null) receives its line.
  TrayService(ServiceEnvironment env, std::unique_ptr<SystemPower> power);
  ~TrayService() override;

  // Local notifications have no desktop tray on this platform; an event is announced by the
  // event log and its sound, so a notice goes nowhere.
  void notify(int message_id) override { (void)message_id; }

 protected:
  void runCloser() override;
  void shutdownSystem() override;

 private:
  std::unique_ptr<SystemPower> power_;
  std::unique_ptr<ShutdownSequence> sequence_;
};

}  // namespace gw
