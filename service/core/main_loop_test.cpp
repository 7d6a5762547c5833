// The main loop's order of steps and its deadline arithmetic, on a fake clock.
#include "service/core/main_loop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/fake_clock.h"

namespace gw {
namespace {

// Steps with deadlines on a grid, like the real poll, record and policy steps.
class GridSteps : public LoopSteps {
 public:
  GridSteps(FakeClock& clock, std::atomic<bool>& stop) : clock_(clock), stop_(stop) {}

  struct Grid {
    int64_t period = 0;  // 0: no deadline
    int64_t next = 0;
    int runs = 0;
    void step(int64_t now, uint32_t& timeout) {
      if (period == 0) return;
      if (now >= next) {
        ++runs;
        while (next <= now) next += period;
      }
      lowerTimeout(timeout, next - now);
    }
  };

  void pollAndDetect(uint32_t& t) override { order.push_back("poll"); poll.step(clock_.nowMs(), t); }
  void recordStatus(uint32_t& t) override { order.push_back("record"); record.step(clock_.nowMs(), t); }
  void policyTick(uint32_t& t) override { order.push_back("policy"); policy.step(clock_.nowMs(), t); }
  bool shutdownRequested() const override { return shutdown_at >= 0 && clock_.nowMs() >= shutdown_at; }
  void scheduleTick(uint32_t& t) override { order.push_back("schedule"); schedule.step(clock_.nowMs(), t); }
  void serveClients(uint32_t t) override {
    order.push_back("serve");
    waits.push_back(t);
    clock_.advance(t == kUnlimitedTimeout ? 1000000 : t);
    if (clock_.nowMs() >= stop_at) stop_.store(true);
  }

  FakeClock& clock_;
  std::atomic<bool>& stop_;
  Grid poll, record, policy, schedule;
  int64_t shutdown_at = -1;
  int64_t stop_at = 0;
  std::vector<std::string> order;
  std::vector<uint32_t> waits;
};

TEST(MainLoopTest, StepsRunInOrderAndWaitForTheEarliestDeadline) {
  FakeClock clock(0);
  std::atomic<bool> stop{false};
  GridSteps steps(clock, stop);
  steps.poll = {3000, 0};
  steps.record = {600000, 0};
  steps.policy = {0, 0};
  steps.schedule = {0, 0};
  steps.stop_at = 9000;
  MainLoop loop(steps, stop);
  EXPECT_FALSE(loop.run());
  ASSERT_GE(steps.order.size(), 5u);
  EXPECT_EQ(std::vector<std::string>(steps.order.begin(), steps.order.begin() + 5),
            (std::vector<std::string>{"poll", "record", "policy", "schedule", "serve"}));
  // Polls at 0, 3000, 6000; the stop is noticed after the wait that reaches 9000.
  EXPECT_EQ(steps.waits, (std::vector<uint32_t>{3000, 3000, 3000}));
  EXPECT_EQ(steps.poll.runs, 3);
}

TEST(MainLoopTest, TheNearestOfSeveralDeadlinesWins) {
  FakeClock clock(0);
  std::atomic<bool> stop{false};
  GridSteps steps(clock, stop);
  steps.poll = {3000, 0};
  steps.policy = {1000, 500};
  steps.schedule = {0, 0};
  steps.stop_at = 3000;
  MainLoop loop(steps, stop);
  (void)loop.run();  // ends by the stop flag; the waits are what this test is about
  // 0 → policy due at 500; 500 → 1500 (policy) ; 1500 → 2500; 2500 → poll at 3000.
  EXPECT_EQ(steps.waits, (std::vector<uint32_t>{500, 1000, 1000, 500}));
}

TEST(MainLoopTest, WithNoDeadlineTheWaitIsUnlimited) {
  FakeClock clock(0);
  std::atomic<bool> stop{false};
  GridSteps steps(clock, stop);
  steps.stop_at = 1;
  MainLoop loop(steps, stop);
  (void)loop.run();  // one pass, then the stop flag
  EXPECT_EQ(steps.waits, (std::vector<uint32_t>{kUnlimitedTimeout}));
}

TEST(MainLoopTest, AShutdownRequestLeavesBeforeTheScheduleAndTheWait) {
  FakeClock clock(0);
  std::atomic<bool> stop{false};
  GridSteps steps(clock, stop);
  steps.poll = {3000, 0};
  steps.shutdown_at = 6000;
  steps.stop_at = 100000;
  MainLoop loop(steps, stop);
  EXPECT_TRUE(loop.run());
  EXPECT_EQ(steps.order.back(), "policy");
  EXPECT_EQ(clock.nowMs(), 6000);
}

TEST(MainLoopTest, AStopSetBeforeTheRunSkipsEveryPass) {
  FakeClock clock(0);
  std::atomic<bool> stop{true};
  GridSteps steps(clock, stop);
  MainLoop loop(steps, stop);
  EXPECT_FALSE(loop.run());
  EXPECT_TRUE(steps.order.empty());
}

}  // namespace
}  // namespace gw
