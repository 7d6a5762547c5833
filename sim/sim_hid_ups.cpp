// The simulated UPS's HID reports, laid out by hand after its own descriptor.
#include "sim/sim_hid_ups.h"

#include <algorithm>

#include "driver/media/media.h"

namespace gw {

const std::vector<uint8_t>& SimHidUps::descriptorBytes() {
  static const std::vector<uint8_t> kBytes = {
      0x06, 0x01, 0xFF,  // Usage Page (vendor 0xFF01)
      0x09, 0x01,        // Usage (1): the serial bridge
      0xA1, 0x01,        // Collection (Application)
      0x85, 0x01,        //   Report ID (1): line settings and signals
      0x09, 0x02,        //   Usage (2): line rate index
      0x15, 0x00,        //   Logical Minimum (0)
      0x25, 0x06,        //   Logical Maximum (6)
      0x75, 0x08,        //   Report Size (8)
      0x95, 0x01,        //   Report Count (1)
      0xB1, 0x02,        //   Feature (Data, Variable, Absolute)
      0x19, 0x08,        //   Usage Minimum (8): DTR
      0x29, 0x0D,        //   Usage Maximum (13): DCD
      0x25, 0x01,        //   Logical Maximum (1)
      0x95, 0x06,        //   Report Count (6)
      0xB1, 0x02,        //   Feature (Data, Variable, Absolute)
      0x85, 0x02,        //   Report ID (2): bytes from the UPS
      0x09, 0x16,        //   Usage (22): how many
      0x25, 0x08,        //   Logical Maximum (8)
      0x95, 0x01,        //   Report Count (1)
      0x81, 0x02,        //   Input (Data, Variable, Absolute)
      0x09, 0x18,        //   Usage (24): the bytes
      0x26, 0xFF, 0x00,  //   Logical Maximum (255)
      0x95, 0x08,        //   Report Count (8)
      0x82, 0x02, 0x01,  //   Input (Data, Variable, Absolute, Buffered Bytes)
      0x85, 0x03,        //   Report ID (3): bytes for the UPS
      0x09, 0x15,        //   Usage (21): how many
      0x25, 0x01,        //   Logical Maximum (1)
      0x95, 0x01,        //   Report Count (1)
      0x91, 0x02,        //   Output (Data, Variable, Absolute)
      0x09, 0x17,        //   Usage (23): the byte
      0x26, 0xFF, 0x00,  //   Logical Maximum (255)
      0x91, 0x02,        //   Output (Data, Variable, Absolute)
      0xC0,              // End Collection
  };
  return kBytes;
}

int SimHidUps::lineRate() const {
  static constexpr int kRates[] = {1200, 2400, 4800, 9600, 14400, 28800, 57600};
  return kRates[rate_index_];
}

ResultCode SimHidUps::getFeature(uint8_t report_id, std::vector<uint8_t>* report) {
  if (report_id != kFeatureReport) return RC_NOT_AVAILABLE;
  ups_.tick();
  const uint32_t in = ups_.inputLines();
  const uint32_t out = ups_.outputLines();
  *report = {kFeatureReport,
             rate_index_,
             static_cast<uint8_t>((out & LC_DTR) != 0),
             static_cast<uint8_t>((out & LC_RTS) != 0),
             static_cast<uint8_t>((in & LS_CTS) != 0),
             static_cast<uint8_t>((in & LS_DSR) != 0),
             static_cast<uint8_t>((in & LS_RING) != 0),
             static_cast<uint8_t>((in & LS_DCD) != 0)};
  return RC_OK;
}

ResultCode SimHidUps::setFeature(const uint8_t* report, size_t length) {
  if (length < kFeatureLength || report[0] != kFeatureReport || report[1] > 6) {
    return RC_BAD_VALUE;
  }
  rate_index_ = report[1];
  // The signals the UPS drives are read-only; what the host wrote there is ignored.
  ups_.setOutputLines((report[2] ? LC_DTR : 0u) | (report[3] ? LC_RTS : 0u));
  return RC_OK;
}

ResultCode SimHidUps::output(const uint8_t* report, size_t length) {
  if (length < kOutputLength || report[0] != kOutputReport || report[1] > 1) return RC_BAD_VALUE;
  if (report[1] == 1) {
    ups_.tick();
    ups_.receive(report + 2, 1, &answer_);
  }
  return RC_OK;
}

bool SimHidUps::takeInput(std::vector<uint8_t>* report) {
  if (answer_.empty()) return false;
  const size_t n = std::min(answer_.size(), kInputBytes);
  report->assign(kInputLength, 0);
  (*report)[0] = kInputReport;
  (*report)[1] = static_cast<uint8_t>(n);
  std::copy(answer_.begin(), answer_.begin() + static_cast<std::ptrdiff_t>(n), report->begin() + 2);
  answer_.erase(0, n);
  return true;
}

}  // namespace gw
