// A simulated UPS behind its USB HID interface: the serial line of a SimUps carried in vendor
// reports on page 0xFF01, as the bridge chip of a USB UPS carries it.
//
// Reports (all numbered; the descriptor is descriptorBytes()):
//   feature 1  [1, rate, DTR, RTS, CTS, DSR, RI, DCD]  rate: 0..6 = 1200..57600 baud; one byte
//              each; DTR and RTS are driven by the host, the other four are the UPS's signals
//   input 2    [2, n, byte x 8]  n (0..8) bytes of the UPS's answer
//   output 3   [3, n, byte]      n (0 or 1) bytes for the UPS
// An answer longer than 8 bytes goes out in several input reports, in order. With the cable
// pulled the device is unplugged: the links that serve it drop their hosts. Single-threaded;
// the SimUps must outlive it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/hid.h"
#include "sim/sim_ups.h"

namespace gw {

class SimHidUps final : public HidPeripheral {
 public:
  static constexpr uint8_t kFeatureReport = 1;
  static constexpr uint8_t kInputReport = 2;
  static constexpr uint8_t kOutputReport = 3;
  static constexpr size_t kFeatureLength = 8;
  static constexpr size_t kInputBytes = 8;
  static constexpr size_t kInputLength = 2 + kInputBytes;
  static constexpr size_t kOutputLength = 3;

  // The report descriptor of the device.
  static const std::vector<uint8_t>& descriptorBytes();

  SimHidUps(SimUps& ups, uint16_t vendor_id, uint16_t product_id)
      : ups_(ups), vendor_id_(vendor_id), product_id_(product_id) {}

  uint16_t vendorId() const override { return vendor_id_; }
  uint16_t productId() const override { return product_id_; }
  const std::vector<uint8_t>& descriptor() const override { return descriptorBytes(); }
  ResultCode getFeature(uint8_t report_id, std::vector<uint8_t>* report) override;
  ResultCode setFeature(const uint8_t* report, size_t length) override;
  ResultCode output(const uint8_t* report, size_t length) override;
  bool takeInput(std::vector<uint8_t>* report) override;
  void tick() override { ups_.tick(); }

  // True while the UPS's cable (here: its USB cable) is plugged in.
  bool plugged() const { return !ups_.cablePulled(); }
  // The line rate the host selected, in baud.
  int lineRate() const;
  SimUps& ups() { return ups_; }

 private:
  SimUps& ups_;
  uint16_t vendor_id_;
  uint16_t product_id_;
  uint8_t rate_index_ = 0;
  std::string answer_;  // answer bytes not yet sent in an input report
};

}  // namespace gw
