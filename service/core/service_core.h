// The service object: owns every part of the monitoring service and runs the main loop.
//
// Construction builds, in order, the settings, the log store, the schedule and the policy
// engine; destruction releases them in reverse, and that writes the settings files back.
// `ServiceCore` does nothing for the closer, the system shutdown and local notifications;
// `TrayService` (tray_service.h) supplies them.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/clock.h"
#include "service/core/main_loop.h"
#include "service/core/service_program.h"
#include "service/driverlink/status_snapshot.h"

namespace gw {

struct ServiceEnvironment {
  Clock* clock = nullptr;     // required; outlives the service
  std::string data_dir;       // the directory of the executable: settings, logs, sibling programs
};

class ServiceCore : public ServiceBody, private LoopSteps {
 public:
  explicit ServiceCore(ServiceEnvironment env);
  ~ServiceCore() override;

  void run() override;
  std::atomic<bool>& stopFlag() override { return stop_requested_; }

  // Called synchronously when a watched setting or policy key is set.
  void onNotice(uint32_t id);

  int32_t shutdownRequest() const { return shutdown_request_.load(); }
  const StatusSnapshot& status() const { return status_; }

 protected:
  virtual void runCloser() {}
  virtual void shutdownSystem() {}
  virtual void notify(int message_id) { (void)message_id; }
  virtual void startTrayThread() {}

 private:
  void pollAndDetect(uint32_t& timeout_ms) override;
  void recordStatus(uint32_t& timeout_ms) override;
  void policyTick(uint32_t& timeout_ms) override;
  bool shutdownRequested() const override { return shutdown_request_.load() >= 0; }
  void scheduleTick(uint32_t& timeout_ms) override;
  void serveClients(uint32_t timeout_ms) override;

  ServiceEnvironment env_;
  StatusSnapshot status_;
  std::atomic<bool> stop_requested_{false};
  // -1 none; 0 shut down; > 0 shut down and restart the UPS output after that many seconds.
  std::atomic<int32_t> shutdown_request_{-1};
  uint32_t media_type_key_id_ = 0;
  uint32_t shutdown_max_count_key_id_ = 0;
};

}  // namespace gw
