// The contact-closure UPS's lines, driven the way the driver's handshake drives them.
#include "sim/contact_responder.h"

#include <gtest/gtest.h>

#include <memory>

#include "sim/sim_media.h"
#include "sim/sim_ups.h"
#include "testing/fake_clock.h"

namespace gw {
namespace {

class ContactResponderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SimUps::create(clock_, UpsKind::kContact, "", &ups_), RC_OK);
    media_.reset(SimMedia::create(*ups_));
  }

  uint32_t lines() {
    uint32_t l = 0;
    EXPECT_TRUE(media_->getLineStatus(&l));
    return l;
  }
  void set(uint32_t mask, bool on) { ASSERT_TRUE(media_->setLines(mask, on)); }

  FakeClock clock_;
  std::unique_ptr<SimUps> ups_;
  std::unique_ptr<SimMedia, MediaReleaser> media_;
};

TEST_F(ContactResponderTest, DetectionHandshakeSeesAContactUps) {
  set(LC_DTR | LC_RTS, true);
  EXPECT_EQ(lines() & LS_DSR, 0u) << "DSR is not wired";
  set(LC_DTR | LC_RTS, false);
  EXPECT_EQ(lines() & (LS_DCD | LS_CTS), 0u) << "contacts unpowered without RTS";
  set(LC_RTS | LC_BREAK, true);
  EXPECT_EQ(lines() & (LS_DCD | LS_CTS), LS_DCD | LS_CTS);
  // The line test closes both contacts even during a power failure with a low battery.
  ups_->model().setMains(false);
  ups_->model().forceBatteryLow(true);
  EXPECT_EQ(lines() & (LS_DCD | LS_CTS), LS_DCD | LS_CTS);
  set(LC_BREAK, false);
  EXPECT_EQ(lines(), 0u) << "RTS up, mains failed and battery low: both contacts open";
  EXPECT_EQ(ups_->log().entries(),
            (std::vector<std::string>{"lines:DTR+RTS", "lines:-", "lines:RTS+BREAK",
                                      "lines:RTS"}));
}

TEST_F(ContactResponderTest, ContactsFollowMainsAndBattery) {
  set(LC_DTR | LC_RTS, true);
  EXPECT_EQ(lines(), LS_DCD | LS_CTS);
  ups_->model().setMains(false);
  EXPECT_EQ(lines(), LS_DCD) << "CTS low: power failure";
  ups_->model().forceBatteryLow(true);
  EXPECT_EQ(lines(), 0u) << "DCD low: battery low";
  ups_->model().setMains(true);
  EXPECT_EQ(lines(), LS_CTS);

  ups_->contact()->setDsrFollowsDtr(true);
  EXPECT_EQ(lines() & LS_DSR, LS_DSR);
  set(LC_DTR, false);
  EXPECT_EQ(lines() & LS_DSR, 0u);

  ups_->setCablePulled(true);
  set(LC_RTS | LC_BREAK, true);
  EXPECT_EQ(lines(), 0u) << "pulled cable: nothing reads high";
  EXPECT_FALSE(media_->setLines(0x01, true)) << "refused mask";
}

TEST_F(ContactResponderTest, DtrHeldHighKillsTheOutputOnlyOnBattery) {
  // On mains the driver's 5 s pulse and 15 s hold do nothing.
  set(LC_DTR, true);
  clock_.advance(5000);
  set(LC_DTR, false);
  clock_.advance(4000);
  set(LC_DTR, true);
  clock_.advance(15000);
  (void)lines();  // the check that would act on the hold
  EXPECT_TRUE(ups_->model().outputOn());
  set(LC_DTR, false);

  ups_->model().setMains(false);
  set(LC_DTR, true);
  clock_.advance(ContactResponder::kKillHoldMs - 1);
  EXPECT_EQ(lines(), 0u) << "RTS is low";
  EXPECT_TRUE(ups_->model().outputOn());
  clock_.advance(1);
  (void)lines();
  EXPECT_FALSE(ups_->model().outputOn());
  EXPECT_FALSE(ups_->model().alive()) << "off on battery: the UPS is gone";
  set(LC_DTR, false);
  ups_->model().setMains(true);
  EXPECT_TRUE(ups_->model().outputOn()) << "back with mains";

  // Nor does a hold on a pulled cable.
  ups_->model().setMains(false);
  ups_->setCablePulled(true);
  set(LC_DTR, true);
  clock_.advance(2 * ContactResponder::kKillHoldMs);
  ups_->tick();
  EXPECT_TRUE(ups_->model().outputOn()) << "the kill never reached the UPS";
  set(LC_DTR, false);
  ups_->setCablePulled(false);
  ups_->model().setMains(true);

  // Short DTR pulses of a poll never add up to a kill.
  ups_->model().setMains(false);
  for (int i = 0; i < 100; ++i) {
    set(LC_DTR, true);
    clock_.advance(100);
    set(LC_DTR, false);
    clock_.advance(2900);
  }
  EXPECT_TRUE(ups_->model().outputOn());
}

}  // namespace
}  // namespace gw
