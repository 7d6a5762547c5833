// The policy engine's timelines under the default policy, re-timing, and the slot rules that
// keep the main loop from hanging or repeating actions.
#include "service/policy/policy_engine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "service/policy/policy_test_rig.h"

namespace gw {
namespace {

using Seconds = std::vector<int64_t>;

TEST(PolicyEngineTest, PowerFailureNotRestoredShutsDownAtThirtySeconds) {
  PolicyRig rig;
  const int64_t failed_at = rig.clock.nowMs();
  rig.engine->happen(EVENT_POWERFAIL);
  // The first tick comes late: the record still carries the time of the failure.
  rig.clock.advance(1500);
  ASSERT_TRUE(rig.runFor(60000 - 1500));

  EXPECT_EQ(rig.eventRecords(), std::vector<std::string>{PolicyRig::record(failed_at, 4)});
  EXPECT_EQ(rig.soundTimes("pfail.wav", failed_at), (Seconds{10, 30, 50}));
  ASSERT_EQ(rig.host.shutdowns.size(), 1u);
  EXPECT_EQ(rig.host.shutdowns[0].restart_delay, 0);
  EXPECT_EQ(rig.host.shutdowns[0].at_ms - failed_at, 30000);

  // Mains back after the request: recorded, but a request is never taken back.
  rig.engine->restore(EVENT_POWERFAIL);
  ASSERT_TRUE(rig.runFor(5000));
  EXPECT_EQ(rig.eventRecords().size(), 2u);
  EXPECT_EQ(rig.host.shutdowns.size(), 1u);
}

TEST(PolicyEngineTest, PowerRestoredAtTwentyFiveSecondsPreventsTheShutdown) {
  PolicyRig rig;
  const int64_t failed_at = rig.clock.nowMs();
  rig.engine->happen(EVENT_POWERFAIL);
  ASSERT_TRUE(rig.runFor(25000));
  const int64_t restored_at = rig.clock.nowMs();
  rig.engine->restore(EVENT_POWERFAIL);
  ASSERT_TRUE(rig.runFor(120000));

  EXPECT_EQ(rig.eventRecords(), (std::vector<std::string>{PolicyRig::record(failed_at, 4),
                                                          PolicyRig::record(restored_at, 5)}));
  EXPECT_EQ(rig.soundTimes("pfail.wav", failed_at), (Seconds{10}));
  EXPECT_EQ(rig.soundTimes("", failed_at), (Seconds{25})) << "one warning beep on restore";
  EXPECT_TRUE(rig.host.shutdowns.empty());
  // Nothing is due any more: the engine lets the loop sleep.
  EXPECT_EQ(rig.last_timeout, std::numeric_limits<uint32_t>::max());
}

TEST(PolicyEngineTest, SettingShutdownMaxCountRestartsTheDelay) {
  PolicyRig rig;
  const int64_t failed_at = rig.clock.nowMs();
  rig.engine->happen(EVENT_POWERFAIL);
  ASSERT_TRUE(rig.runFor(20000));
  ASSERT_TRUE(rig.engine->setPolicy("powerfail.shutdown.happen.max count=1"));
  ASSERT_TRUE(rig.runFor(45000));

  ASSERT_EQ(rig.host.shutdowns.size(), 1u);
  EXPECT_EQ(rig.host.shutdowns[0].at_ms - failed_at, 50000) << "30 s from the change";
  EXPECT_EQ(rig.eventRecords().size(), 1u) << "the failure is not recorded twice";
  EXPECT_EQ(rig.engine->happenTime(EVENT_POWERFAIL) - failed_at, 20000);
}

TEST(PolicyEngineTest, RetimingOnlyActsOnARunningFailureWithShutdownOn) {
  PolicyRig rig;
  // No failure: setting the key starts nothing.
  ASSERT_TRUE(rig.engine->setPolicy("powerfail.shutdown.happen.max count=1"));
  EXPECT_EQ(rig.engine->phase(EVENT_POWERFAIL), PHASE_IDLE);

  // Shutdown switched off during a failure: no re-timing and no shutdown.
  const int64_t failed_at = rig.clock.nowMs();
  rig.engine->happen(EVENT_POWERFAIL);
  ASSERT_TRUE(rig.runFor(5000));
  ASSERT_TRUE(rig.engine->setPolicy("powerfail.shutdown.happen.max count=0"));
  EXPECT_EQ(rig.engine->happenTime(EVENT_POWERFAIL), failed_at);
  ASSERT_TRUE(rig.runFor(60000));
  EXPECT_TRUE(rig.host.shutdowns.empty());

  // After a restore the key changes nothing either.
  rig.engine->restore(EVENT_POWERFAIL);
  ASSERT_TRUE(rig.engine->setPolicy("powerfail.shutdown.happen.max count=1"));
  EXPECT_EQ(rig.engine->phase(EVENT_POWERFAIL), PHASE_RESTORED);
}

TEST(PolicyEngineTest, StartIsRecordedAndTheFinalPassRecordsTheEnd) {
  PolicyRig rig;
  const int64_t started = rig.clock.nowMs();
  rig.engine->happen(EVENT_START);
  ASSERT_TRUE(rig.runFor(3000));
  EXPECT_EQ(rig.soundTimes("hello.wav", started), (Seconds{0}));
  const int64_t stopped = rig.clock.nowMs();
  rig.engine->finalPass();
  EXPECT_EQ(rig.eventRecords(), (std::vector<std::string>{PolicyRig::record(started, 0),
                                                          PolicyRig::record(stopped, 1)}));
}

TEST(PolicyEngineTest, SlotCountsSurviveAResetAndAPhaseChangeRestartsThem) {
  PolicyRig rig;
  const int64_t first = rig.clock.nowMs();
  rig.engine->happen(EVENT_LOADOVER);
  ASSERT_TRUE(rig.runFor(1000));
  EXPECT_EQ(rig.engine->reset(EVENT_LOADOVER), PHASE_HAPPENED);
  EXPECT_EQ(rig.engine->reset(EVENT_LOADOVER), PHASE_IDLE);
  // Happening again after the reset: the once-only record and sound do not repeat.
  rig.engine->happen(EVENT_LOADOVER);
  ASSERT_TRUE(rig.runFor(1000));
  EXPECT_EQ(rig.eventRecords(), std::vector<std::string>{PolicyRig::record(first, 8)});
  EXPECT_EQ(rig.soundTimes("oload.wav", first).size(), 1u);

  // A restore and a new happen are phase changes: both run again, with their own times.
  rig.engine->restore(EVENT_LOADOVER);
  const int64_t restored = rig.clock.nowMs();
  ASSERT_TRUE(rig.runFor(1000));
  rig.engine->happen(EVENT_LOADOVER);
  const int64_t again = rig.clock.nowMs();
  ASSERT_TRUE(rig.runFor(1000));
  EXPECT_EQ(rig.eventRecords(),
            (std::vector<std::string>{PolicyRig::record(first, 8), PolicyRig::record(restored, 9),
                                      PolicyRig::record(again, 8)}));
  // happen while happened keeps the first time stamp.
  rig.engine->happen(EVENT_LOADOVER);
  EXPECT_EQ(rig.engine->happenTime(EVENT_LOADOVER), again);
}

TEST(PolicyEngineTest, IntervalZeroRunsOnceAndNeverHangsTheLoop) {
  PolicyRig rig(
      "tempover.sound.happen.max count=-1\n"
      "tempover.sound.happen.interval=0\n"
      "batterylow.record.happen.max count=5\n");
  const int64_t at = rig.clock.nowMs();
  rig.engine->happen(EVENT_TEMPOVER);
  rig.engine->happen(EVENT_BATTERYLOW);
  ASSERT_TRUE(rig.runFor(30000)) << "the engine asked for no wait again and again";
  EXPECT_EQ(rig.soundTimes("otemp.wav", at).size(), 1u);
  EXPECT_EQ(rig.eventRecords(),
            (std::vector<std::string>{PolicyRig::record(at, 6), PolicyRig::record(at, 10)}));
}

TEST(PolicyEngineTest, UnlimitedRepeatsKeepTheirIntervalAndLimitsStopThem) {
  PolicyRig rig(
      "loadover.sound.happen.max count=3\n"
      "loadover.sound.happen.delay=2\n"
      "loadover.sound.happen.interval=5\n"
      "loadover.sound.happen.content=x.wav\n"
      "loadover.sound.restore.delay=4\n"
      "loadover.sound.restore.content=y.wav\n");
  const int64_t at = rig.clock.nowMs();
  rig.engine->happen(EVENT_LOADOVER);
  ASSERT_TRUE(rig.runFor(40000));
  EXPECT_EQ(rig.soundTimes("x.wav", at), (Seconds{2, 7, 12}));
  rig.engine->restore(EVENT_LOADOVER);
  ASSERT_TRUE(rig.runFor(40000));
  EXPECT_EQ(rig.soundTimes("y.wav", at), (Seconds{44})) << "restore runs once, after its delay";
}

TEST(PolicyEngineTest, ProtectFileIsLoadedAtStartAndWrittenBySave) {
  auto rig = std::make_unique<PolicyRig>(
      "powerfail.shutdown.happen.delay=5\n"
      "not a key=1\n");
  const int64_t at = rig->clock.nowMs();
  rig->engine->happen(EVENT_POWERFAIL);
  ASSERT_TRUE(rig->runFor(10000));
  ASSERT_EQ(rig->host.shutdowns.size(), 1u);
  EXPECT_EQ(rig->host.shutdowns[0].at_ms - at, 5000);

  ASSERT_TRUE(rig->engine->setPolicy("start.sound.happen.content=other.wav"));
  ASSERT_EQ(rig->engine->save(), RC_OK);
  rig->engine.reset();
  std::vector<std::string> lines = splitLines(rig->dir.read("protect"));
  EXPECT_EQ(lines.size(), 378u);
  EXPECT_NE(std::find(lines.begin(), lines.end(), "start.sound.happen.content=other.wav"),
            lines.end());
}

TEST(PolicyEngineTest, TicksBeforeTheNextEvaluationOnlyLowerTheTimeout) {
  PolicyRig rig;
  rig.engine->happen(EVENT_POWERFAIL);
  uint32_t timeout = std::numeric_limits<uint32_t>::max();
  rig.engine->tick(timeout);
  EXPECT_EQ(timeout, 10000u) << "next due: the first power-fail sound";
  rig.clock.advance(4000);
  timeout = 2000;
  rig.engine->tick(timeout);
  EXPECT_EQ(timeout, 2000u) << "never raised";
  timeout = std::numeric_limits<uint32_t>::max();
  rig.engine->tick(timeout);
  EXPECT_EQ(timeout, 6000u);
  // A happen makes the next tick evaluate at once, whatever was planned.
  rig.engine->happen(EVENT_LOADOVER);
  timeout = std::numeric_limits<uint32_t>::max();
  rig.engine->tick(timeout);
  EXPECT_EQ(rig.soundTimes("oload.wav", rig.clock.nowMs()).size(), 1u);
}

}  // namespace
}  // namespace gw
