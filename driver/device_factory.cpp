// Device factory: candidate order per media type, detection through the hook.
#include "driver/device_factory.h"

#include "driver/devices/null_device.h"

namespace gw {

std::vector<MediaCandidate> DeviceFactory::candidates(int media_type, int media_index) {
  std::vector<MediaCandidate> list;
  auto allSerial = [&] {
    for (int n = 1; n <= 4; ++n) list.push_back({kMediaSerial, n});
  };
  switch (media_type) {
    case 1:
      allSerial();
      list.push_back({kMediaUsb, 1});
      break;
    case kMediaSerial:
      if (media_index == 0) {
        allSerial();
      } else if (media_index > 0) {
        list.push_back({kMediaSerial, media_index});
      }
      break;
    case kMediaUsb:
      if (media_index >= 0) list.push_back({kMediaUsb, media_index == 0 ? 1 : media_index});
      break;
    default:
      break;
  }
  return list;
}

std::unique_ptr<Device> DeviceFactory::create(int media_type, int media_index) {
  media_.reset();
  for (const MediaCandidate& c : candidates(media_type, media_index)) {
    MediaPtr media = provider_.createMedia(c.media_type, c.index);
    if (!media) continue;
    std::unique_ptr<Device> device = detect_ ? detect_(*media) : nullptr;
    if (device) {
      media_ = std::move(media);
      return device;
    }
  }
  return std::make_unique<NullDevice>();
}

}  // namespace gw
