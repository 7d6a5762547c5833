// What the service does after its main loop ended with a shutdown request: close the user's
// applications, tell the UPS to switch its output off after a delay, shut the system down.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "common/result_code.h"
#include "platform/clock.h"
#include "platform/power.h"
#include "platform/process.h"
#include "service/driverlink/device_proxy.h"

namespace gw {

struct ShutdownSettings {
  bool auto_save = true;         // "service.auto save": run the application closer first
  int32_t shutdown_delay_s = 120;  // "service.shutdown delay": UPS output off after this
};

// Main thread only, after the loop has ended; nothing else is served meanwhile. The clock, the
// power object and the launcher's children are used only during the calls.
class ShutdownSequence {
 public:
  static constexpr const char* kCloserName = "sweeper";
  static constexpr int64_t kCloserWaitMs = 120000;
  // How often the closer is checked while it runs.
  static constexpr int64_t kCloserPollMs = 100;

  // Starts a program; spawnProcess in the service, a fake in tests.
  using Launcher =
      std::function<ResultCode(const SpawnOptions& options, std::unique_ptr<ChildProcess>* child)>;

  // `service_dir` is the service's own directory, where the closer lives. `clock` and `power`
  // must outlive the sequence.
  ShutdownSequence(std::string service_dir, Clock& clock, SystemPower& power,
                   Launcher launcher = spawnProcess);
  ShutdownSequence(const ShutdownSequence&) = delete;
  ShutdownSequence& operator=(const ShutdownSequence&) = delete;

  // Starts "<service_dir>/sweeper" without arguments and waits until it ends, at most
  // kCloserWaitMs by the clock. RC_OK: it ended; RC_TIMEOUT: it is still running and is left
  // so; RC_NOT_AVAILABLE: it could not be started (no wait at all).
  [[nodiscard]] ResultCode runCloser();

  // "C1 d r" (r = shutdown_request) when shutdown_request > 0, "C2 d" when it is 0, nothing
  // (RC_BAD_VALUE) when negative. Returns the device's code; the sequence ignores it.
  [[nodiscard]] static ResultCode switchUpsOff(DeviceProxy& device, int32_t shutdown_request,
                                               int32_t delay_s);

  // The system's shutdown with power-off, through the power object.
  [[nodiscard]] ResultCode shutdownSystem();

  // The whole sequence for a request >= 0 (a negative request does nothing): the closer when
  // auto save is on, the UPS command, the system shutdown. Every failure is passed over so the
  // next step still runs. Blocks for at most kCloserWaitMs plus the UPS exchange plus the
  // shutdown command.
  void run(int32_t shutdown_request, const ShutdownSettings& settings, DeviceProxy& device);

 private:
  std::string service_dir_;
  Clock& clock_;
  SystemPower& power_;
  Launcher launcher_;
};

}  // namespace gw
