// The in-process HID bus: devices that call the peripheral directly.
#include "sim/hid_loopback_bus.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace gw {
namespace {

class LoopbackDevice final : public HidDevice {
 public:
  LoopbackDevice(HidPeripheral& peripheral, Clock& clock, std::shared_ptr<bool> plugged)
      : peripheral_(peripheral), clock_(clock), plugged_(std::move(plugged)) {}

  ResultCode reportDescriptor(std::vector<uint8_t>* descriptor) override {
    if (!*plugged_) return RC_LINE_FAILURE;
    *descriptor = peripheral_.descriptor();
    return RC_OK;
  }

  ResultCode getFeature(uint8_t report_id, uint8_t* buffer, size_t capacity,
                        size_t* got) override {
    if (capacity == 0) return RC_BUFFER_TOO_SMALL;
    std::vector<uint8_t> report;
    if (!*plugged_ || peripheral_.getFeature(report_id, &report) != RC_OK) return RC_LINE_FAILURE;
    *got = std::min(capacity, report.size());
    std::memcpy(buffer, report.data(), *got);
    return RC_OK;
  }

  ResultCode setFeature(const uint8_t* report, size_t length) override {
    if (!*plugged_ || peripheral_.setFeature(report, length) != RC_OK) return RC_LINE_FAILURE;
    return RC_OK;
  }

  ResultCode writeOutput(const uint8_t* report, size_t length, int) override {
    if (!*plugged_ || peripheral_.output(report, length) != RC_OK) return RC_LINE_FAILURE;
    return RC_OK;
  }

  ResultCode readInput(uint8_t* buffer, size_t capacity, int timeout_ms, size_t* got) override {
    if (capacity == 0) return RC_BUFFER_TOO_SMALL;
    if (!*plugged_) return RC_LINE_FAILURE;
    std::vector<uint8_t> report;
    if (!peripheral_.takeInput(&report)) {
      clock_.sleepMs(timeout_ms);
      peripheral_.tick();
      if (!*plugged_ || !peripheral_.takeInput(&report)) return RC_TIMEOUT;
    }
    *got = std::min(capacity, report.size());
    std::memcpy(buffer, report.data(), *got);
    return RC_OK;
  }

  void flushInput() override {
    std::vector<uint8_t> report;
    while (peripheral_.takeInput(&report)) {
    }
  }

 private:
  HidPeripheral& peripheral_;
  Clock& clock_;
  std::shared_ptr<bool> plugged_;
};

}  // namespace

ResultCode HidLoopbackBus::enumerate(uint16_t vendor_id, uint16_t product_id,
                                     std::vector<HidDeviceInfo>* devices) {
  devices->clear();
  if (*plugged_ && peripheral_.vendorId() == vendor_id && peripheral_.productId() == product_id) {
    devices->push_back({kPath, vendor_id, product_id});
  }
  return RC_OK;
}

ResultCode HidLoopbackBus::open(const std::string& path, std::unique_ptr<HidDevice>* device) {
  if (path != kPath || !*plugged_) return RC_NOT_AVAILABLE;
  *device = std::make_unique<LoopbackDevice>(peripheral_, clock_, plugged_);
  ++opened_;
  return RC_OK;
}

}  // namespace gw
