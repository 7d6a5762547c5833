// A peripheral played through /dev/uhid appears as a hidraw node that the hidraw back-end
// finds by its ids and talks to. Needs /dev/uhid, writable; skipped without it.
#include "platform/posix/hid_uhid_device.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "platform/posix/hid_sysfs.h"
#include "platform/posix/hidraw_device.h"

namespace gw::posix {
namespace {

constexpr uint16_t kVendor = 0xFFF0;
constexpr uint16_t kProduct = 0x7E57;

// One feature report (id 1, one byte), one output report (id 2, one byte) echoed back as input
// report 3.
class EchoPeripheral final : public HidPeripheral {
 public:
  uint16_t vendorId() const override { return kVendor; }
  uint16_t productId() const override { return kProduct; }
  const std::vector<uint8_t>& descriptor() const override {
    static const std::vector<uint8_t> kBytes = {
        0x06, 0x01, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x15, 0x00, 0x26, 0xFF, 0x00,
        0x75, 0x08, 0x95, 0x01, 0x85, 0x01, 0x09, 0x02, 0xB1, 0x02, 0x85, 0x02,
        0x09, 0x17, 0x91, 0x02, 0x85, 0x03, 0x09, 0x18, 0x81, 0x02, 0xC0};
    return kBytes;
  }
  ResultCode getFeature(uint8_t id, std::vector<uint8_t>* report) override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (id != 1) return RC_NOT_AVAILABLE;
    *report = {1, feature_};
    return RC_OK;
  }
  ResultCode setFeature(const uint8_t* report, size_t length) override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (length < 2 || report[0] != 1) return RC_BAD_VALUE;
    feature_ = report[1];
    return RC_OK;
  }
  ResultCode output(const uint8_t* report, size_t length) override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (length < 2 || report[0] != 2) return RC_BAD_VALUE;
    echo_.push_back({3, report[1]});
    return RC_OK;
  }
  bool takeInput(std::vector<uint8_t>* report) override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (echo_.empty()) return false;
    *report = echo_.front();
    echo_.erase(echo_.begin());
    return true;
  }

 private:
  std::mutex mutex_;
  uint8_t feature_ = 0x42;
  std::vector<std::vector<uint8_t>> echo_;
};

TEST(UhidDeviceTest, APlayedDeviceIsFoundAndServedThroughHidraw) {
  int probe = ::open(UhidDevice::kUhidPath, O_RDWR | O_CLOEXEC);
  if (probe < 0) {
    GTEST_SKIP() << UhidDevice::kUhidPath
                 << " is missing or not writable here: the kernel HID path is not tested";
  }
  ::close(probe);
  EchoPeripheral peripheral;
  std::unique_ptr<UhidDevice> uhid;
  ASSERT_EQ(UhidDevice::create(peripheral, "gridwatch uhid test", &uhid), RC_OK);
  std::atomic<bool> stop{false};
  // The kernel asks for reports while this thread waits in an ioctl: another thread answers.
  std::thread service([&] {
    while (!stop) {
      pollfd p{uhid->pollFd(), POLLIN, 0};
      if (::poll(&p, 1, 20) > 0) uhid->onReadable();
      uhid->tick();
    }
  });
  std::vector<HidDeviceInfo> found;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while ((listHidrawNodes("/sys/class/hidraw", "/dev", kVendor, kProduct, &found) != RC_OK ||
          found.empty() || ::access(found[0].path.c_str(), R_OK | W_OK) != 0) &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ASSERT_FALSE(found.empty()) << "no hidraw node with the played ids";

  std::unique_ptr<HidDevice> device;
  ASSERT_EQ(HidrawDevice::open(found[0].path, &device), RC_OK);
  std::vector<uint8_t> descriptor;
  ASSERT_EQ(device->reportDescriptor(&descriptor), RC_OK);
  EXPECT_EQ(descriptor, peripheral.descriptor());
  uint8_t buffer[16];
  size_t got = 0;
  ASSERT_EQ(device->getFeature(1, buffer, sizeof buffer, &got), RC_OK);
  ASSERT_GE(got, 2u);
  EXPECT_EQ(buffer[1], 0x42);
  const uint8_t set[] = {1, 0x17};
  ASSERT_EQ(device->setFeature(set, sizeof set), RC_OK);
  ASSERT_EQ(device->getFeature(1, buffer, sizeof buffer, &got), RC_OK);
  EXPECT_EQ(buffer[1], 0x17);
  const uint8_t out[] = {2, 'D'};
  ASSERT_EQ(device->writeOutput(out, sizeof out, 1000), RC_OK);
  ASSERT_EQ(device->readInput(buffer, sizeof buffer, 2000, &got), RC_OK);
  ASSERT_EQ(got, 2u);
  EXPECT_EQ(buffer[0], 3);
  EXPECT_EQ(buffer[1], 'D');
  EXPECT_EQ(device->readInput(buffer, sizeof buffer, 150, &got), RC_TIMEOUT);
  device.reset();
  stop = true;
  service.join();
}

}  // namespace
}  // namespace gw::posix
