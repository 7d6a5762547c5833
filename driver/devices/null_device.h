// The device that stands in when no UPS was found: every status read answers RC_NO_DEVICE, and
// every other operation keeps the default RC_UNSUPPORTED. Its poll fails, so the driver keeps
// looking for a UPS on each poll.
#pragma once

#include "driver/devices/device.h"

namespace gw {

class NullDevice final : public Device {
 public:
  ResultCode getStatus(int n, int32_t* value) override;
};

}  // namespace gw
