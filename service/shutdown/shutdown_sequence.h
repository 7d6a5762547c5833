// What the service does after its main loop ended with a shutdown request: close the user's
// applications, tell the UPS to switch its output off after a delay, shut the system down.
#pragma once

#include <cstdint>

#include "common/result_code.h"
#include "platform/power.h"
#include "service/driverlink/device_proxy.h"
#include "service/shutdown/application_closer.h"

namespace gw {

struct ShutdownSettings {
  bool auto_save = true;         // "service.auto save": run the application closer first
  int32_t shutdown_delay_s = 120;  // "service.shutdown delay": UPS output off after this
};

// Main thread only, after the loop has ended; nothing else is served meanwhile. The closer and
// the power object are not owned and must outlive the sequence.
class ShutdownSequence {
 public:
  ShutdownSequence(ApplicationCloser& closer, SystemPower& power)
      : closer_(closer), power_(power) {}
  ShutdownSequence(const ShutdownSequence&) = delete;
  ShutdownSequence& operator=(const ShutdownSequence&) = delete;

  // "C1 d r" (r = shutdown_request) when shutdown_request > 0, "C2 d" when it is 0, nothing
  // (RC_BAD_VALUE) when negative. Returns the device's code; the sequence ignores it.
  [[nodiscard]] static ResultCode switchUpsOff(DeviceProxy& device, int32_t shutdown_request,
                                               int32_t delay_s);

  // The whole sequence for a request >= 0 (a negative request does nothing): the closer when
  // auto save is on, the UPS command, the system shutdown. Every failure is passed over so the
  // next step still runs. Blocks for at most the closer's limit plus the UPS exchange plus the
  // shutdown command.
  void run(int32_t shutdown_request, const ShutdownSettings& settings, DeviceProxy& device);

 private:
  ApplicationCloser& closer_;
  SystemPower& power_;
};

}  // namespace gw
