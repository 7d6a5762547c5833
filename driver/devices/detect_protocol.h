// Finds out which kind of UPS answers on an opened media.
#pragma once

#include <memory>

#include "driver/devices/device.h"
#include "driver/media/media.h"
#include "platform/clock.h"

namespace gw {

// Tries the binary protocol first, asking for the model into a 16-byte buffer; when nothing
// answered and DSR is down (code 8) tries a contact-closure UPS, otherwise the text protocol.
// Returns the first device that answers its model, or null. The device keeps references to
// `media` and `clock`, which must outlive it. Blocks for the exchanges (a few seconds at most).
std::unique_ptr<Device> detectDevice(Media& media, Clock& clock);

}  // namespace gw
