// The driver's detection and devices over HidMedia, reaching the simulated UPS's HID interface
// in the same process, on a fake clock: both data protocols, a mains failure, an unplug.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "driver/devices/detect_protocol.h"
#include "driver/devices/value_table.h"
#include "hidbridge/hid_media.h"
#include "sim/hid_loopback_bus.h"
#include "sim/sim_controller.h"
#include "sim/sim_hid_ups.h"
#include "testing/fake_clock.h"

namespace gw {
namespace {

constexpr uint16_t kVendor = 0xFFF0;
constexpr uint16_t kProduct = 0x0001;

class HidMediaSimTest : public ::testing::Test {
 protected:
  void start(UpsKind kind, const std::string& model) {
    ASSERT_EQ(SimUps::create(clock_, kind, model, &ups_), RC_OK);
    hid_ = std::make_unique<SimHidUps>(*ups_, kVendor, kProduct);
    bus_ = std::make_unique<HidLoopbackBus>(*hid_, clock_);
    media_ = HidMedia::create(clock_, *bus_, kVendor, kProduct);
    ASSERT_TRUE(media_->open(1));
    device_ = detectDevice(*media_, clock_);
    ASSERT_TRUE(device_) << "nothing detected over HID";
  }

  std::string text(int element) {
    char buf[64] = {};
    size_t size = sizeof buf;
    ResultCode rc = device_->getText(element, buf, &size);
    return rc == RC_OK ? std::string(buf) : "E" + std::to_string(rc);
  }
  int32_t status(int n) {
    int32_t v = -1;
    return device_->getStatus(n, &v) == RC_OK ? v : -1;
  }

  FakeClock clock_;
  std::unique_ptr<SimUps> ups_;
  std::unique_ptr<SimHidUps> hid_;
  std::unique_ptr<HidLoopbackBus> bus_;
  MediaPtr media_;
  std::unique_ptr<Device> device_;
};

TEST_F(HidMediaSimTest, BinaryUpsIsDetectedAndPolledThroughItsReports) {
  start(UpsKind::kBinary, "KD-9");
  EXPECT_EQ(text(E_MODEL), "KD-9");
  EXPECT_EQ(text(E_FWVER), "3.A10");
  EXPECT_EQ(hid_->lineRate(), 1200) << "the binary protocol's rate went out in the feature";
  EXPECT_EQ(ups_->outputLines(), LC_DTR) << "DTR on, RTS off";

  const int64_t before = clock_.monotonicMs();
  ASSERT_EQ(device_->poll(), RC_OK);
  const int64_t poll_ms = clock_.monotonicMs() - before;
  RecordProperty("poll_line_ms", static_cast<int>(poll_ms));
  // "D" and CR: one 50 ms pause between the two output reports; the 14-byte answer comes in two
  // input reports at once, and then the read waits out its 120 ms of quiet at most.
  EXPECT_GE(poll_ms, 50);
  EXPECT_LE(poll_ms, 50 + 120);
  EXPECT_NEAR(status(0), 12000, 300) << "input voltage converted";
  EXPECT_EQ(status(7), 0);

  SimController control(*ups_);
  ASSERT_EQ(control.execute("mains fail"), "OK mains off");
  ASSERT_EQ(device_->poll(), RC_OK);
  EXPECT_EQ(status(7), 1) << "power failure";
  EXPECT_LT(status(0), 1000);
}

TEST_F(HidMediaSimTest, TextUpsIsDetectedAtItsOwnRate) {
  start(UpsKind::kText, "KT-1000");
  EXPECT_EQ(text(E_MODEL), "KT-1000");
  EXPECT_EQ(hid_->lineRate(), 2400);
  ASSERT_EQ(device_->poll(), RC_OK);
  EXPECT_EQ(status(0), 23000);
}

TEST_F(HidMediaSimTest, AnUnpluggedDeviceFailsThePollAndIsNotFoundAgain) {
  start(UpsKind::kBinary, "KD-9");
  bus_->setPlugged(false);
  EXPECT_NE(device_->poll(), RC_OK);
  device_.reset();
  media_.reset();
  MediaPtr again = HidMedia::create(clock_, *bus_, kVendor, kProduct);
  EXPECT_FALSE(again->open(1));
  bus_->setPlugged(true);
  EXPECT_TRUE(again->open(1));
  EXPECT_EQ(bus_->opened(), 2);
}

}  // namespace
}  // namespace gw
