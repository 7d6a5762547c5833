// A mains failure end to end: the simulated UPS loses mains, monsvc records it, plays its
// sounds, and shuts down in order (closer, UPS output off, system), or, with mains back in
// time, does not.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "common/time_text.h"
#include "platform/clock.h"
#include "testing/ups_suite_run.h"

namespace gw {
namespace {

constexpr int kConnectMs = 30000;  // porter's detection plus the first polls, on a loaded machine
constexpr int kDetectMs = 20000;   // two polling intervals and slack

// Index of the first line starting with `prefix` at or after `from`, or -1.
int find(const std::vector<std::string>& lines, const std::string& prefix, size_t from = 0) {
  for (size_t i = from; i < lines.size(); ++i) {
    if (lines[i].rfind(prefix, 0) == 0) return static_cast<int>(i);
  }
  return -1;
}

// Starts the UPS and the service, waits for the connection, fails mains and waits for the
// record of it. Returns the record's time in ms, or -1 with a failure reported.
int64_t failMains(UpsSuiteRun& run, const std::string& protect) {
  std::string error;
  if (!run.startSimulator(&error) || !run.startService(protect, &error)) {
    ADD_FAILURE() << error;
    return -1;
  }
  if (!UpsSuiteRun::waitUntil([&] { return !run.events("003").empty(); }, kConnectMs)) {
    ADD_FAILURE() << "no \"connection established\" record; event log:\n" << run.dir.read("event");
    return -1;
  }
  const int64_t failed_at = systemClock().nowMs();
  EXPECT_EQ(run.simulator("mains fail"), "OK mains off");
  if (!UpsSuiteRun::waitUntil([&] { return !run.events("004").empty(); }, kDetectMs)) {
    ADD_FAILURE() << "no power-failure record";
    return -1;
  }
  const int64_t seen_at = systemClock().nowMs();
  std::vector<std::string> records = run.events("004");
  EXPECT_EQ(records.size(), 1u);
  int64_t record_ms = 0;
  EXPECT_TRUE(parseLogTime(records[0].substr(0, 19), &record_ms)) << records[0];
  // Stamped with the moment the service saw the failure, not a later run of the record.
  EXPECT_GE(record_ms, failed_at / 1000 * 1000) << records[0];
  EXPECT_LE(record_ms, seen_at) << records[0];
  return record_ms;
}

TEST(PowerFailureTest, UnrestoredFailureShutsDownInOrder) {
  UpsSuiteRun run;
  ASSERT_GE(failMains(run,
                      "powerfail.sound.happen.delay=1\n"
                      "powerfail.sound.happen.interval=2\n"
                      "powerfail.shutdown.happen.delay=4\n"
                      // The end-of-run beep would follow the system shutdown.
                      "start.sound.restore.max count=0\n"),
            0);
  ASSERT_TRUE(
      UpsSuiteRun::waitUntil([&] { return find(run.lines("order"), "shutdown") >= 0; }, 60000))
      << "no system shutdown; order:\n"
      << run.dir.read("order");

  std::vector<std::string> order = run.lines("order");
  const int first_pfail = find(order, "sound pfail.wav");
  const int sweeper = find(order, "sweeper");
  ASSERT_GE(first_pfail, 0) << run.dir.read("order");
  ASSERT_GE(find(order, "sound pfail.wav", static_cast<size_t>(first_pfail) + 1), 0)
      << "the power-fail sound repeats before the shutdown";
  ASSERT_GT(sweeper, first_pfail) << run.dir.read("order");
  EXPECT_EQ(order[static_cast<size_t>(sweeper)], "sweeper ups=0")
      << "the closer runs before the UPS is told";
  EXPECT_EQ(order.back(), "shutdown ups=1") << "the system goes last, after the UPS command";
  std::string ups_log = run.dir.read("ups.log");
  EXPECT_NE(ups_log.find(UpsSuiteRun::kShutdownBytes), std::string::npos) << ups_log;
  (void)run.stopService(15000);  // it may have ended already; the destructor ends it otherwise
}

TEST(PowerFailureTest, MainsBackBeforeTheDelayMeansNoShutdown) {
  UpsSuiteRun run;
  const int64_t recorded = failMains(run,
                                     "powerfail.sound.happen.delay=1\n"
                                     "powerfail.sound.happen.interval=2\n"
                                     "powerfail.shutdown.happen.delay=15\n");
  ASSERT_GE(recorded, 0);
  EXPECT_EQ(run.simulator("mains restore"), "OK mains on");
  ASSERT_TRUE(UpsSuiteRun::waitUntil([&] { return !run.events("005").empty(); }, kDetectMs))
      << "no power-restore record";
  // Well past the shutdown delay of the failure.
  std::this_thread::sleep_for(
      std::chrono::milliseconds(std::max<int64_t>(0, recorded + 22000 - systemClock().nowMs())));

  std::vector<std::string> order = run.lines("order");
  EXPECT_EQ(find(order, "sweeper"), -1) << run.dir.read("order");
  EXPECT_EQ(find(order, "shutdown"), -1) << run.dir.read("order");
  EXPECT_EQ(run.dir.read("ups.log").find(UpsSuiteRun::kShutdownBytes), std::string::npos);
  const int first_pfail = find(order, "sound pfail.wav");
  ASSERT_GE(first_pfail, 0);
  EXPECT_NE(std::find(order.begin() + first_pfail, order.end(), "sound "), order.end())
      << "a beep on restore";
  EXPECT_TRUE(run.serviceRunning());

  ASSERT_TRUE(run.stopService(15000)) << "monsvc did not stop on request";
  EXPECT_EQ(run.events("001").size(), 1u) << "the end of the run is recorded";
}

}  // namespace
}  // namespace gw
