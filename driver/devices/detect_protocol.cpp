// Protocol detection on one media.
#include "driver/devices/detect_protocol.h"

#include "driver/devices/binary_device.h"
#include "driver/devices/contact_device.h"
#include "driver/devices/text_device.h"
#include "driver/devices/value_table.h"

namespace gw {
namespace {

ResultCode askModel(Device& device) {
  char model[16];
  size_t size = sizeof(model);
  return device.getText(E_MODEL, model, &size);
}

}  // namespace

std::unique_ptr<Device> detectDevice(Media& media, Clock& clock) {
  std::unique_ptr<Device> device = std::make_unique<BinaryDevice>(media, clock);
  const ResultCode rc = askModel(*device);
  if (rc == RC_OK) return device;
  device.reset();
  if (rc == RC_NO_DEVICE) {
    device = std::make_unique<ContactDevice>(media, clock);
  } else {
    device = std::make_unique<TextDevice>(media, clock);
  }
  if (askModel(*device) == RC_OK) return device;
  return nullptr;
}

}  // namespace gw
