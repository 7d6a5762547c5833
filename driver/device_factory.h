// Turns a media selection into a working device: opens each candidate port in order and asks
// protocol detection what is attached.
//
// Candidates: type 1 COM1..COM4 then USB device 1; type 2 index 0 COM1..COM4; type 2 index n
// COMn; type 3 index 0 USB device 1; type 3 index n USB device n; other types and negative
// indexes none. The first
// detected device wins and the factory keeps its media until the next create() or its own
// destruction, so a device must not outlive the factory. Nothing found gives a NullDevice.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "driver/device_source.h"
#include "driver/devices/device.h"
#include "driver/media/media.h"
#include "driver/media/media_provider.h"

namespace gw {

// Detects the protocol on an opened media; the device returned uses the media. Null when no
// UPS answers.
using ProtocolDetector = std::function<std::unique_ptr<Device>(Media& media)>;

struct MediaCandidate {
  int media_type;  // kMediaSerial or kMediaUsb
  int index;       // COM port or USB device number
  bool operator==(const MediaCandidate&) const = default;
};

class DeviceFactory final : public DeviceSource {
 public:
  // The provider must outlive the factory.
  DeviceFactory(MediaProvider& provider, ProtocolDetector detect)
      : provider_(provider), detect_(std::move(detect)) {}
  ~DeviceFactory() override = default;  // releases the media

  std::unique_ptr<Device> create(int media_type, int media_index) override;

  // The candidates tried for a selection, in order.
  static std::vector<MediaCandidate> candidates(int media_type, int media_index);

  // The media of the current device; null while the NullDevice stands in.
  Media* media() const { return media_.get(); }

 private:
  MediaProvider& provider_;
  ProtocolDetector detect_;
  MediaPtr media_;
};

}  // namespace gw
