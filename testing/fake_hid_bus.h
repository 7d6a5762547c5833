// A HidBus over devices the test owns: it lists them with their ids in the order added, and
// open() hands out a stand-in that forwards to the test's device, so the test keeps looking at
// it while the code under test owns the stand-in.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/hid.h"

namespace gw {

class FakeHidBus : public HidBus {
 public:
  // The device must outlive the bus and whatever was opened from it.
  void add(HidDeviceInfo info, HidDevice* device) { devices_.push_back({std::move(info), device}); }
  void failEnumerate(bool fail) { fail_enumerate_ = fail; }
  const std::vector<std::string>& openedPaths() const { return opened_; }

  ResultCode enumerate(uint16_t vendor_id, uint16_t product_id,
                       std::vector<HidDeviceInfo>* devices) override {
    if (fail_enumerate_) return RC_NOT_AVAILABLE;
    devices->clear();
    for (const Entry& e : devices_) {
      if (e.info.vendor_id == vendor_id && e.info.product_id == product_id) {
        devices->push_back(e.info);
      }
    }
    return RC_OK;
  }
  ResultCode open(const std::string& path, std::unique_ptr<HidDevice>* device) override {
    for (const Entry& e : devices_) {
      if (e.info.path != path) continue;
      opened_.push_back(path);
      *device = std::make_unique<Forwarder>(*e.device);
      return RC_OK;
    }
    return RC_NOT_AVAILABLE;
  }

 private:
  class Forwarder final : public HidDevice {
   public:
    explicit Forwarder(HidDevice& to) : to_(to) {}
    ResultCode reportDescriptor(std::vector<uint8_t>* d) override {
      return to_.reportDescriptor(d);
    }
    ResultCode getFeature(uint8_t id, uint8_t* b, size_t c, size_t* g) override {
      return to_.getFeature(id, b, c, g);
    }
    ResultCode setFeature(const uint8_t* r, size_t n) override { return to_.setFeature(r, n); }
    ResultCode writeOutput(const uint8_t* r, size_t n, int t) override {
      return to_.writeOutput(r, n, t);
    }
    ResultCode readInput(uint8_t* b, size_t c, int t, size_t* g) override {
      return to_.readInput(b, c, t, g);
    }
    void flushInput() override { to_.flushInput(); }

   private:
    HidDevice& to_;
  };
  struct Entry {
    HidDeviceInfo info;
    HidDevice* device;
  };
  std::vector<Entry> devices_;
  std::vector<std::string> opened_;
  bool fail_enumerate_ = false;
};

}  // namespace gw
