// No UPS: status reads say so, the rest is unsupported.
#include "driver/devices/null_device.h"

namespace gw {

ResultCode NullDevice::getStatus(int n, int32_t* /*value*/) {
  return n >= 0 && n <= 13 ? RC_NO_DEVICE : RC_UNSUPPORTED;
}

}  // namespace gw
