// The fixed order of the shutdown: closer, UPS command, system shutdown.
#include "service/shutdown/shutdown_sequence.h"

namespace gw {

ResultCode ShutdownSequence::switchUpsOff(DeviceProxy& device, int32_t shutdown_request,
                                          int32_t delay_s) {
  if (shutdown_request < 0) return RC_BAD_VALUE;
  if (shutdown_request > 0) return device.sleep(delay_s, shutdown_request);
  return device.shutdown(delay_s);
}

void ShutdownSequence::run(int32_t shutdown_request, const ShutdownSettings& settings,
                           DeviceProxy& device) {
  if (shutdown_request < 0) return;
  // Each step's failure is passed over: the system must go down even when the closer is
  // missing or the driver is gone (the UPS output then simply stays on).
  if (settings.auto_save) (void)closer_.closeApplications();
  (void)switchUpsOff(device, shutdown_request, settings.shutdown_delay_s);
  (void)power_.shutdownSystem();
}

}  // namespace gw
