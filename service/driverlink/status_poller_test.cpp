// The poll grid on a fake clock and what one poll reads.
#include "service/driverlink/status_poller.h"

#include <gtest/gtest.h>

#include "testing/fake_clock.h"
#include "testing/fake_driver_channel.h"

namespace gw {
namespace {

constexpr uint32_t kUnlimited = 0xFFFFFFFFu;

class StatusPollerTest : public ::testing::Test {
 protected:
  StatusPollerTest() {
    channel_.setHandler([this](const std::string& request) {
      auto it = replies_.find(request);
      if (it != replies_.end()) return it->second;
      return request + " 1";
    });
  }

  // One main-loop pass: returns whether a poll ran; *timeout gets the lowered wait.
  bool pass(uint32_t* timeout, int64_t rate = 3000) {
    uint32_t t = kUnlimited;
    bool polled = poller_.poll(t, rate);
    *timeout = t;
    return polled;
  }

  FakeClock clock_;
  FakeDriverChannel channel_;
  std::map<std::string, std::string> replies_;
  DeviceProxy proxy_{channel_};
  StatusPoller poller_{clock_, proxy_};
};

TEST_F(StatusPollerTest, PollsAtOnceThenOnTheGridAndSkipsMissedPolls) {
  uint32_t timeout = 0;
  EXPECT_TRUE(pass(&timeout)) << "the first call polls at once";
  EXPECT_EQ(timeout, 3000u);
  clock_.advance(1000);
  EXPECT_FALSE(pass(&timeout));
  EXPECT_EQ(timeout, 2000u);
  clock_.advance(1999);
  EXPECT_FALSE(pass(&timeout));
  EXPECT_EQ(timeout, 1u);
  clock_.advance(1);
  EXPECT_TRUE(pass(&timeout)) << "due at 3000 ms";
  EXPECT_EQ(timeout, 3000u);
  clock_.advance(250);  // a late pass still keeps the grid
  EXPECT_FALSE(pass(&timeout));
  clock_.advance(2900);
  EXPECT_TRUE(pass(&timeout));
  EXPECT_EQ(timeout, 2850u) << "the next poll stays on the grid (6000 ms, 9000 ms, ...)";

  // A 10-second stall from 6150 ms: 9000, 12000 and 15000 were missed; one poll runs.
  clock_.advance(10000);
  const size_t before = channel_.requests().size();
  EXPECT_TRUE(pass(&timeout));
  EXPECT_EQ(channel_.requests().size(), before + 14) << "exactly one poll after the stall";
  EXPECT_EQ(timeout, 18000u - 16150u) << "the next poll is aligned to the old grid";
  EXPECT_FALSE(pass(&timeout));

  // The rate is read on every call; a caller's timeout that is already lower stays.
  uint32_t low = 5;
  EXPECT_FALSE(poller_.poll(low, 3000));
  EXPECT_EQ(low, 5u);
  clock_.advance(1850);  // 18000 ms
  EXPECT_TRUE(pass(&timeout, 1000)) << "a shorter rate applies at once";
  EXPECT_EQ(timeout, 1000u);
  clock_.advance(1000);
  EXPECT_FALSE(pass(&timeout, 0)) << "a rate of 0 falls back to the default, not a busy loop";
  EXPECT_EQ(timeout, 2000u);
}

TEST_F(StatusPollerTest, OnePollReadsTheFourteenValuesInOrder) {
  replies_ = {
      {"S7", "S7E 8"}, {"S13", "S13 5"}, {"S0", "S0 23000"}, {"S4", "S4 xyz"}, {"S8", "S8 0"}};
  uint32_t timeout = 0;
  ASSERT_TRUE(pass(&timeout));
  const std::vector<std::string> order = {"S12", "S7", "S8", "S9", "S10", "S11", "S13",
                                          "S0",  "S1", "S2", "S3", "S4",  "S5",  "S6"};
  EXPECT_EQ(channel_.requests(), order);
  const StatusSnapshot& s = poller_.current();
  EXPECT_EQ(s[STATUS_POWERFAIL].code, RC_NO_DEVICE);
  EXPECT_EQ(s[STATUS_POWERFAIL].value, 0) << "a failed read leaves the value 0";
  EXPECT_EQ(s[STATUS_BEEP].value, 1) << "flags are stored as 0 or 1";
  EXPECT_EQ(s[STATUS_BATTERYLO].value, 0);
  EXPECT_EQ(s[STATUS_INVOLT].value, 23000);
  EXPECT_EQ(s[STATUS_OUTVOLT].value, 1) << "S1 answered \"S1 1\"";
  EXPECT_EQ(s[STATUS_TEMP].code, RC_MALFORMED_REPLY);
  EXPECT_EQ(s[STATUS_TEMP].value, 0);

  replies_.clear();
  channel_.setBroken(true);
  clock_.advance(3000);
  ASSERT_TRUE(pass(&timeout));
  EXPECT_EQ(poller_.previous()[STATUS_INVOLT].value, 23000) << "previous is the poll before";
  EXPECT_EQ(poller_.previous()[STATUS_POWERFAIL].code, RC_NO_DEVICE);
  for (int i = 0; i < kStatusCount; ++i) {
    EXPECT_EQ(poller_.current()[i].code, RC_PIPE_BROKEN) << "status " << i;
    EXPECT_EQ(poller_.current()[i].value, 0) << "status " << i;
  }
}

}  // namespace
}  // namespace gw

namespace gw {
namespace {

// The driver tells when its next poll is due (P0) and how long its polls take (P1); the service
// polls kPhaseMarginMs after that poll should have ended, on its own 3000 ms period.
TEST(StatusPollerPhaseTest, TheGridFollowsTheDriversPollPhase) {
  FakeClock clock;
  int64_t due_in = 1000;
  int64_t took = 40;
  bool phase_known = true;
  FakeDriverChannel channel([&](const std::string& request) -> std::string {
    if (request == "P0") return phase_known ? "P0 " + std::to_string(due_in) : "P0E 1";
    if (request == "P1") return phase_known ? "P1 " + std::to_string(took) : "P1E 1";
    return request + " 0";
  });
  DeviceProxy proxy(channel);
  StatusPoller poller(clock, proxy, nullptr, true);
  auto pass = [&](uint32_t* timeout) {
    uint32_t t = 0xFFFFFFFFu;
    bool polled = poller.poll(t, 3000);
    *timeout = t;
    return polled;
  };

  uint32_t timeout = 0;
  ASSERT_TRUE(pass(&timeout));
  EXPECT_EQ(channel.requests().size(), 16u) << "14 status reads and the two phase requests";
  EXPECT_EQ(channel.requests()[14], "P0");
  EXPECT_EQ(timeout, 1100u) << "1000 until the driver polls, 40 for its poll, then the margin";
  clock.advance(1099);
  EXPECT_FALSE(pass(&timeout));
  EXPECT_EQ(timeout, 1u);
  clock.advance(1);
  due_in = 3000 - kPhaseMarginMs - took;  // the driver's next poll is one period on
  ASSERT_TRUE(pass(&timeout)) << "polled just after the driver's poll";
  EXPECT_EQ(timeout, 3000u) << "in phase: the period stays 3000 ms";

  // The driver's grid slips (its period is its interval plus its poll): the next poll follows.
  clock.advance(3000);
  due_in = 2990;
  ASSERT_TRUE(pass(&timeout));
  EXPECT_EQ(timeout, static_cast<uint32_t>(2990 + took + kPhaseMarginMs - 3000))
      << "the driver just polled: the nearest point after that poll on the 3000 ms grid";
  clock.advance(timeout);
  due_in = 2900;
  ASSERT_TRUE(pass(&timeout));
  EXPECT_EQ(timeout, 3000u);

  // A change the UPS shows at the driver's poll is read within the margin after that poll ends,
  // so detection waits at most one period and the margin.
  const int64_t driver_poll_ends = clock.nowMs() + 2900 + took;
  clock.advance(timeout);
  EXPECT_LE(clock.nowMs() - driver_poll_ends, kPhaseMarginMs);
  EXPECT_GT(clock.nowMs(), driver_poll_ends);

  // A driver that cannot tell its phase leaves the grid where it is.
  phase_known = false;
  ASSERT_TRUE(pass(&timeout));
  EXPECT_EQ(timeout, 3000u);
  clock.advance(1500);
  EXPECT_FALSE(pass(&timeout));
  EXPECT_EQ(timeout, 1500u);
}

}  // namespace
}  // namespace gw
