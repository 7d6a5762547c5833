// The contact-closure device against a simulated cable and UPS contacts.
#include "driver/devices/contact_device.h"

#include <gtest/gtest.h>

#include "testing/fake_clock.h"
#include "testing/fake_media.h"

namespace gw {
namespace {

// The cable powers DCD and CTS from RTS; a closed contact pulls its line low unless break is
// on. Without the cable every input reads low.
struct ContactUps {
  bool cable = true;
  bool power_fail = false;
  bool battery_low = false;
  bool dsr_follows_dtr = false;
  bool stuck_high = false;    // DCD and CTS up whatever RTS does
  int power_fail_reads = -1;  // >= 0: the power failure shows on this many readings only
  int reads = 0;

  uint32_t lines(uint32_t out) {
    ++reads;
    if (dsr_follows_dtr) return ((out & LC_DTR) ? LS_DSR : 0u) | LS_DCD | LS_CTS;
    if (!cable) return 0;
    if (stuck_high) return LS_DCD | LS_CTS;
    const bool rts = (out & LC_RTS) != 0;
    const bool brk = (out & LC_BREAK) != 0;
    const bool fail = power_fail && (power_fail_reads < 0 || reads <= power_fail_reads);
    uint32_t f = 0;
    if (rts && (!battery_low || brk)) f |= LS_DCD;
    if (rts && (!fail || brk)) f |= LS_CTS;
    return f;
  }
};

class ContactDeviceTest : public ::testing::Test {
 protected:
  ContactDeviceTest() : media_(4, kMediaSerial, &clock_) {
    media_.setLineFunction([this](uint32_t out) { return ups_.lines(out); });
    device_ = std::make_unique<ContactDevice>(media_, clock_);
  }

  int32_t status(int n) {
    int32_t v = -1;
    EXPECT_EQ(device_->getStatus(n, &v), RC_OK) << "S" << n;
    return v;
  }
  std::string model() {
    char buffer[16];
    size_t size = sizeof(buffer);
    const ResultCode rc = device_->getText(12, buffer, &size);
    return rc == RC_OK ? std::string(buffer) : "error " + std::to_string(rc);
  }
  // Polls and reports the code and the time the poll waited.
  ResultCode pollTimed(int64_t* waited) {
    const int64_t before = clock_.slept();
    const ResultCode rc = device_->poll();
    *waited = clock_.slept() - before;
    return rc;
  }

  FakeClock clock_;
  FakeMedia media_;
  ContactUps ups_;
  std::unique_ptr<ContactDevice> device_;
};

TEST_F(ContactDeviceTest, ConstructionDropsTheLines) {
  ASSERT_FALSE(media_.lineEvents().empty());
  EXPECT_EQ(media_.lineEvents()[0].mask, LC_DTR | LC_RTS | LC_BREAK);
  EXPECT_FALSE(media_.lineEvents()[0].on);
  EXPECT_EQ(status(12), 0) << "not connected before a poll";
  int32_t v = 0;
  EXPECT_EQ(device_->getNumber(24, &v), RC_OK);
  EXPECT_EQ(v, 4);
  media_.setLines(LC_DTR, true);
  device_.reset();
  EXPECT_EQ(media_.outputs(), 0u) << "destruction drops the lines again";
}

TEST_F(ContactDeviceTest, DetectionHandshake) {
  EXPECT_EQ(model(), "Generic UPS");
  EXPECT_EQ(clock_.slept(), 150);
  EXPECT_EQ(media_.outputs() & LC_BREAK, 0u);
  const int reads = media_.lineStatusReads();
  EXPECT_EQ(model(), "Generic UPS");
  EXPECT_EQ(media_.lineStatusReads(), reads) << "a held model is not detected again";

  struct Case {
    const char* what;
    ContactUps ups;
  };
  Case cases[] = {{"no cable", {}}, {"DSR follows DTR", {}}, {"inputs stuck high", {}}};
  cases[0].ups.cable = false;
  cases[1].ups.dsr_follows_dtr = true;
  cases[2].ups.stuck_high = true;
  for (Case& c : cases) {
    ups_ = c.ups;
    device_ = std::make_unique<ContactDevice>(media_, clock_);
    EXPECT_EQ(model(), "error 10") << c.what;
    EXPECT_EQ(media_.outputs(), 0u) << c.what << ": every line dropped";
  }
}

TEST_F(ContactDeviceTest, PollReadsTheContacts) {
  int64_t waited = 0;
  ASSERT_EQ(pollTimed(&waited), RC_OK);
  EXPECT_EQ(waited, 50);
  EXPECT_EQ(status(12), 1);
  EXPECT_EQ(status(7), 0);
  EXPECT_EQ(status(8), 0);
  EXPECT_EQ(media_.outputs() & LC_DTR, 0u) << "DTR is dropped after the reading";
  int32_t v = 0;
  EXPECT_EQ(device_->getStatus(0, &v), RC_NOT_AVAILABLE) << "no measurements";

  ups_.power_fail = true;
  ASSERT_EQ(pollTimed(&waited), RC_OK);
  EXPECT_EQ(waited, 150) << "two more readings while the failure shows";
  EXPECT_EQ(status(7), 1);
  EXPECT_EQ(status(8), 0);

  ups_.battery_low = true;
  ASSERT_EQ(device_->poll(), RC_OK);
  EXPECT_EQ(status(7), 1);
  EXPECT_EQ(status(8), 1) << "battery low during a held power failure";

  ups_.power_fail = false;
  ASSERT_EQ(device_->poll(), RC_OK);
  EXPECT_EQ(status(7), 0);
  EXPECT_EQ(status(8), 0) << "battery low is reported only with a power failure";
}

TEST_F(ContactDeviceTest, ABouncingRelayIsReadAgain) {
  ups_.power_fail = true;
  ups_.power_fail_reads = 1;
  int64_t waited = 0;
  ASSERT_EQ(pollTimed(&waited), RC_OK);
  EXPECT_EQ(waited, 100);
  EXPECT_EQ(status(7), 0);
}

TEST_F(ContactDeviceTest, ConnectionRules) {
  ups_.cable = false;
  EXPECT_EQ(device_->poll(), RC_OK) << "an unplugged cable is not an error while not connected";
  EXPECT_EQ(status(12), 0);

  ups_.cable = true;
  ASSERT_EQ(device_->poll(), RC_OK);
  EXPECT_EQ(status(12), 1);

  ups_.battery_low = true;
  ASSERT_EQ(device_->poll(), RC_OK);
  EXPECT_EQ(status(8), 0) << "a sudden battery low without mains failure is ignored";

  // Battery low and power failure at once, with nothing held before: the break test tells a
  // UPS (its lines come up) from a pulled cable.
  device_ = std::make_unique<ContactDevice>(media_, clock_);
  ups_ = ContactUps();
  ASSERT_EQ(device_->poll(), RC_OK);
  ups_.power_fail = true;
  ups_.battery_low = true;
  ASSERT_EQ(device_->poll(), RC_OK);
  EXPECT_EQ(status(7), 1);
  EXPECT_EQ(status(8), 1);
  EXPECT_EQ(media_.outputs() & LC_BREAK, 0u);

  device_ = std::make_unique<ContactDevice>(media_, clock_);
  ups_ = ContactUps();
  ASSERT_EQ(device_->poll(), RC_OK);
  ups_.cable = false;
  EXPECT_EQ(device_->poll(), RC_NO_DEVICE);
  EXPECT_EQ(status(12), 0);
  EXPECT_EQ(media_.outputs() & LC_BREAK, 0u);
}

TEST_F(ContactDeviceTest, DsrOnTheLine) {
  ups_.dsr_follows_dtr = true;
  EXPECT_EQ(device_->poll(), RC_NOT_DETECTED);
  // A DSR that stays up whatever DTR does is not an echo.
  media_.setLineFunction([](uint32_t) { return LS_DSR | LS_DCD | LS_CTS; });
  EXPECT_EQ(device_->poll(), RC_OK);
  EXPECT_EQ(status(7), 0);
}

TEST_F(ContactDeviceTest, LineFailuresDropEverything) {
  media_.setLines(LC_RTS, true);
  media_.failLineStatus(true);
  EXPECT_EQ(device_->poll(), RC_LINE_FAILURE);
  EXPECT_EQ(media_.outputs(), 0u);
  media_.failLineStatus(false);
  media_.failSetLines(true);
  EXPECT_EQ(device_->poll(), RC_LINE_FAILURE);
  EXPECT_EQ(device_->shutdown(10), RC_LINE_FAILURE);
}

TEST_F(ContactDeviceTest, ShutdownPulsesDtr) {
  EXPECT_EQ(device_->shutdown(-1), RC_UNSUPPORTED);
  ASSERT_EQ(device_->poll(), RC_OK);
  media_.setLines(0, false);
  const size_t first = media_.lineEvents().size();
  const int64_t t0 = clock_.nowMs();
  ASSERT_EQ(device_->shutdown(0), RC_OK);
  EXPECT_EQ(clock_.nowMs() - t0, 24000) << "5 s on, 4 s off, then 15 s on while on mains";
  const auto& events = media_.lineEvents();
  ASSERT_EQ(events.size() - first, 3u);
  EXPECT_EQ(events[first].at_ms - t0, 0);
  EXPECT_TRUE(events[first].on);
  EXPECT_EQ(events[first + 1].at_ms - t0, 5000);
  EXPECT_FALSE(events[first + 1].on);
  EXPECT_EQ(events[first + 2].at_ms - t0, 9000);
  EXPECT_TRUE(events[first + 2].on);
  for (size_t i = first; i < events.size(); ++i) EXPECT_EQ(events[i].mask, LC_DTR);
  EXPECT_NE(media_.outputs() & LC_DTR, 0u) << "DTR stays raised";

  ups_.power_fail = true;
  ASSERT_EQ(device_->poll(), RC_OK);
  ASSERT_EQ(status(7), 1);
  const int64_t t1 = clock_.nowMs();
  ASSERT_EQ(device_->shutdown(120), RC_OK);
  EXPECT_EQ(clock_.nowMs() - t1, 15000) << "during a power failure only the 15 s hold";
}

}  // namespace
}  // namespace gw
