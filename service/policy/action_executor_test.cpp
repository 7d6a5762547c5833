// The job queue: busy groups, worker threads, learnt durations and the waits it asks for.
#include "service/policy/action_executor.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "testing/fake_clock.h"

namespace gw {
namespace {

// Records each run with its thread; runs of held actions wait until released.
class GatedHandler : public ActionHandler {
 public:
  struct Run {
    ActionId action;
    std::thread::id thread;
  };

  void runAction(const ActionJob& job) override {
    std::unique_lock<std::mutex> lock(mutex_);
    runs_.push_back({job.action, std::this_thread::get_id()});
    cv_.notify_all();
    cv_.wait(lock, [&] { return held_.count(job.action) == 0; });
    if (on_run) on_run(job);
  }

  void hold(ActionId a) {
    std::lock_guard<std::mutex> lock(mutex_);
    held_.insert(a);
  }
  void releaseAll() {
    std::lock_guard<std::mutex> lock(mutex_);
    held_.clear();
    cv_.notify_all();
  }
  // Waits (real time, bounded) until `n` runs have started.
  bool waitForRuns(size_t n) {
    std::unique_lock<std::mutex> lock(mutex_);
    return cv_.wait_for(lock, std::chrono::seconds(10), [&] { return runs_.size() >= n; });
  }
  std::vector<Run> runs() {
    std::lock_guard<std::mutex> lock(mutex_);
    return runs_;
  }

  std::function<void(const ActionJob&)> on_run;

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  std::set<ActionId> held_;
  std::vector<Run> runs_;
};

ActionJob job(ActionId action) {
  ActionJob j;
  j.event = EVENT_POWERFAIL;
  j.action = action;
  return j;
}

// Runs the executor until its queue is empty, in real time (workers are real threads).
bool drain(ActionExecutor& executor) {
  for (int i = 0; i < 10000 && !executor.empty(); ++i) {
    (void)executor.run();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return executor.empty();
}

TEST(ActionExecutorTest, BusyGroupsRunOneJobAtATimeAndQuickJobsNeverWait) {
  FakeClock clock;
  GatedHandler handler;
  ActionExecutor executor(clock, handler);
  handler.hold(ACTION_PAGER);
  handler.hold(ACTION_EMAIL);
  executor.enqueue(job(ACTION_PAGER));
  executor.enqueue(job(ACTION_PHONE));  // shares the pager's group
  executor.enqueue(job(ACTION_EMAIL));  // a group of its own
  executor.enqueue(job(ACTION_RECORD));
  executor.enqueue(job(ACTION_SOUND));

  EXPECT_EQ(executor.run(), 1000u) << "look again when the slow jobs are expected to end";
  ASSERT_TRUE(handler.waitForRuns(4));
  std::vector<GatedHandler::Run> runs = handler.runs();
  std::multiset<ActionId> started;
  for (const auto& r : runs) started.insert(r.action);
  EXPECT_EQ(started.count(ACTION_PHONE), 0u) << "phone waits for the pager";
  EXPECT_EQ(started.count(ACTION_PAGER), 1u);
  EXPECT_EQ(started.count(ACTION_EMAIL), 1u);
  for (const auto& r : runs) {
    bool quick = r.action == ACTION_RECORD || r.action == ACTION_SOUND;
    EXPECT_EQ(r.thread == std::this_thread::get_id(), quick) << "action " << r.action;
  }
  EXPECT_EQ(executor.size(), 3u);

  // While busy the queue asks to be looked at when the group's job should be done, and then at
  // a tenth of its duration.
  clock.advance(400);
  EXPECT_EQ(executor.run(), 600u);
  clock.advance(1000);
  EXPECT_EQ(executor.run(), 100u);

  handler.releaseAll();
  ASSERT_TRUE(drain(executor));
  runs = handler.runs();
  ASSERT_EQ(runs.size(), 5u);
  EXPECT_EQ(runs.back().action, ACTION_PHONE);
  EXPECT_NE(runs.back().thread, std::this_thread::get_id());
  EXPECT_EQ(executor.run(), std::numeric_limits<uint32_t>::max());
}

TEST(ActionExecutorTest, MeasuredTimesReplaceTheExpectationOfLearntActionsOnly) {
  FakeClock clock;
  GatedHandler handler;
  // Only e-mail takes time: the two workers run at once on the one clock, so a step taken by
  // the other would count into e-mail's measurement.
  handler.on_run = [&](const ActionJob& j) {
    if (j.action == ACTION_EMAIL) clock.advance(20);
  };
  ActionExecutor executor(clock, handler);
  executor.enqueue(job(ACTION_EMAIL));
  executor.enqueue(job(ACTION_PAGER));
  ASSERT_TRUE(drain(executor));
  EXPECT_EQ(executor.durations().expected(ACTION_EMAIL), 20u);
  EXPECT_EQ(executor.durations().expected(ACTION_PAGER), 1000u);

  // Now quick, e-mail runs on the main thread; outside programs never do, however quick.
  executor.durations().recordMeasured(ACTION_BROADCAST, 3);
  EXPECT_EQ(executor.durations().expected(ACTION_BROADCAST), 3u);
  executor.enqueue(job(ACTION_EMAIL));
  executor.enqueue(job(ACTION_BROADCAST));
  executor.enqueue(job(ACTION_COMMAND));
  (void)executor.run();
  ASSERT_TRUE(drain(executor));
  std::vector<GatedHandler::Run> runs = handler.runs();
  ASSERT_EQ(runs.size(), 5u);
  EXPECT_EQ(runs[2].action, ACTION_EMAIL);
  EXPECT_EQ(runs[2].thread, std::this_thread::get_id());
  for (size_t i = 3; i < 5; ++i) EXPECT_NE(runs[i].thread, std::this_thread::get_id());
}

TEST(ActionExecutorTest, AQuickRunningWorkerIsPolledWithoutSpinning) {
  FakeClock clock;
  GatedHandler handler;
  ActionExecutor executor(clock, handler);
  executor.durations().recordMeasured(ACTION_BROADCAST, 0);
  handler.hold(ACTION_BROADCAST);
  executor.enqueue(job(ACTION_BROADCAST));
  EXPECT_EQ(executor.run(), ActionExecutor::kMinPollMs);
  ASSERT_TRUE(handler.waitForRuns(1));
  EXPECT_EQ(executor.run(), ActionExecutor::kMinPollMs);
  handler.releaseAll();
  // Destruction waits for the worker: nothing may outlive the executor.
}

}  // namespace
}  // namespace gw
