// Plays a HidPeripheral as a real kernel HID device through /dev/uhid, so that it appears as a
// hidraw node (with sysfs entries) like a plugged-in USB device. The device goes away when the
// object is destroyed.
//
// The owner waits on pollFd() and calls onReadable() when it is readable, and calls tick()
// often: that lets the peripheral's time run and sends the input reports it has waiting.
// Feature requests are answered at once from the peripheral. Single-threaded.
#pragma once

#include <memory>
#include <string>

#include "platform/hid.h"
#include "platform/posix/unique_fd.h"

namespace gw::posix {

class UhidDevice {
 public:
  static constexpr const char* kUhidPath = "/dev/uhid";

  // RC_NOT_AVAILABLE when /dev/uhid is missing or not writable; RC_BAD_VALUE for a descriptor
  // the kernel cannot take. The peripheral must outlive the device.
  [[nodiscard]] static ResultCode create(HidPeripheral& peripheral, const std::string& name,
                                         std::unique_ptr<UhidDevice>* device);
  ~UhidDevice();
  UhidDevice(const UhidDevice&) = delete;
  UhidDevice& operator=(const UhidDevice&) = delete;

  int pollFd() const { return fd_.get(); }
  void onReadable();
  void tick();

 private:
  UhidDevice(HidPeripheral& peripheral, UniqueFd fd) : peripheral_(peripheral), fd_(std::move(fd)) {}
  void sendInput();

  HidPeripheral& peripheral_;
  UniqueFd fd_;
};

}  // namespace gw::posix
