// Where the driver loop gets its devices from: the factory in the program, a fake in tests.
#pragma once

#include <memory>

#include "driver/devices/device.h"

namespace gw {

class DeviceSource {
 public:
  DeviceSource() = default;
  DeviceSource(const DeviceSource&) = delete;
  DeviceSource& operator=(const DeviceSource&) = delete;
  virtual ~DeviceSource() = default;

  // A device for the media selection; when no UPS is found, the no-UPS device. Null only when
  // nothing at all can be built. The device returned by the previous call must be destroyed
  // before this is called again: it may use media that this call releases.
  virtual std::unique_ptr<Device> create(int media_type, int media_index) = 0;
};

}  // namespace gw
