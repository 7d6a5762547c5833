// A HidBus in the same process as the device it lists: one HidPeripheral (the simulated UPS's
// HID interface), reached without a kernel or a socket. Tests point HidMedia, and through it
// the driver's devices, at it and run on a FakeClock.
//
// A read that finds no input report waits its time-out on the clock (a FakeClock just moves
// on), lets the peripheral's time run, and looks once more. A refused report is a failed
// transfer (RC_LINE_FAILURE). While unplugged the bus lists nothing and open devices fail
// every transfer. The peripheral and the clock must outlive the bus and its devices.
#pragma once

#include <memory>
#include <string>

#include "platform/clock.h"
#include "platform/hid.h"

namespace gw {

class HidLoopbackBus final : public HidBus {
 public:
  static constexpr const char* kPath = "loopback:1";

  HidLoopbackBus(HidPeripheral& peripheral, Clock& clock)
      : peripheral_(peripheral), clock_(clock), plugged_(std::make_shared<bool>(true)) {}

  ResultCode enumerate(uint16_t vendor_id, uint16_t product_id,
                       std::vector<HidDeviceInfo>* devices) override;
  ResultCode open(const std::string& path, std::unique_ptr<HidDevice>* device) override;

  void setPlugged(bool plugged) { *plugged_ = plugged; }
  // How many devices were opened so far.
  int opened() const { return opened_; }

 private:
  HidPeripheral& peripheral_;
  Clock& clock_;
  std::shared_ptr<bool> plugged_;  // shared with the open devices
  int opened_ = 0;
};

}  // namespace gw
