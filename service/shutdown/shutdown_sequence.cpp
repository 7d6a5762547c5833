// The fixed order of the shutdown: closer, UPS command, system shutdown.
#include "service/shutdown/shutdown_sequence.h"

#include <algorithm>

#include "platform/file_system.h"

namespace gw {

ShutdownSequence::ShutdownSequence(std::string service_dir, Clock& clock, SystemPower& power,
                                   Launcher launcher)
    : service_dir_(std::move(service_dir)),
      clock_(clock),
      power_(power),
      launcher_(std::move(launcher)) {}

ResultCode ShutdownSequence::runCloser() {
  SpawnOptions options;
  options.program = joinPath(service_dir_, kCloserName);
  std::unique_ptr<ChildProcess> closer;
  if (!launcher_ || launcher_(options, &closer) != RC_OK || !closer) return RC_NOT_AVAILABLE;
  // Waiting in slices on our own clock keeps the limit testable and independent of how the
  // child's wait measures time.
  const int64_t deadline = clock_.monotonicMs() + kCloserWaitMs;
  for (;;) {
    int exit_code = 0;
    if (closer->wait(0, &exit_code) == RC_OK) return RC_OK;
    int64_t left = deadline - clock_.monotonicMs();
    if (left <= 0) return RC_TIMEOUT;  // the closer is left running
    clock_.sleepMs(std::min(left, kCloserPollMs));
  }
}

ResultCode ShutdownSequence::switchUpsOff(DeviceProxy& device, int32_t shutdown_request,
                                          int32_t delay_s) {
  if (shutdown_request < 0) return RC_BAD_VALUE;
  if (shutdown_request > 0) return device.sleep(delay_s, shutdown_request);
  return device.shutdown(delay_s);
}

ResultCode ShutdownSequence::shutdownSystem() { return power_.shutdownSystem(); }

void ShutdownSequence::run(int32_t shutdown_request, const ShutdownSettings& settings,
                           DeviceProxy& device) {
  if (shutdown_request < 0) return;
  // Each step's failure is passed over: the system must go down even when the closer is
  // missing or the driver is gone (the UPS output then simply stays on).
  if (settings.auto_save) (void)runCloser();
  (void)switchUpsOff(device, shutdown_request, settings.shutdown_delay_s);
  (void)shutdownSystem();
}

}  // namespace gw
