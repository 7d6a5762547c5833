// The actions' effects: outside commands and broadcasts in workers with the event in their
// environment, actions without an effect, and the real shell runner.
#include "service/policy/policy_actions.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "service/policy/policy_test_rig.h"

namespace gw {
namespace {

// Waits in real time for the runner to have seen `n` calls.
bool waitForCalls(const FakeCommandRunner& runner, size_t n) {
  for (int i = 0; i < 5000 && runner.calls().size() < n; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return runner.calls().size() >= n;
}

TEST(PolicyActionsTest, CommandAndBroadcastRunInWorkersWithTheEventInTheEnvironment) {
  PolicyRig rig(
      "batterylow.command.happen.max count=1\n"
      "batterylow.command.happen.content=logger 'battery; low'\n"
      "batterylow.command.restore.max count=1\n"
      "batterylow.command.restore.content=logger back\n"
      "batterylow.broadcast.happen.max count=1\n"
      "batterylow.broadcast.happen.content=Battery low: saving work.\n"
      "batterylow.email.happen.max count=1\n"
      "batterylow.sms.happen.max count=1\n"
      "batterylow.pager.happen.max count=1\n"
      "batterylow.shutdown.happen.max count=0\n");
  rig.runner.hold();
  rig.engine->happen(EVENT_BATTERYLOW);
  ASSERT_TRUE(rig.runFor(1000));
  ASSERT_TRUE(waitForCalls(rig.runner, 2));
  // Held outside programs do not hold up the main thread's own actions.
  EXPECT_EQ(rig.eventRecords().size(), 1u);
  EXPECT_EQ(rig.sound.played().size(), 1u);
  rig.runner.release();
  for (int i = 0; i < 5000 && rig.engine->pendingJobs() > 0; ++i) {
    ASSERT_TRUE(rig.runFor(10));
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_EQ(rig.engine->pendingJobs(), 0u);
  rig.engine->restore(EVENT_BATTERYLOW);
  ASSERT_TRUE(rig.runFor(1000));
  ASSERT_TRUE(waitForCalls(rig.runner, 3));

  std::vector<FakeCommandRunner::Call> calls = rig.runner.calls();
  ASSERT_EQ(calls.size(), 3u) << "email, pager and sms have no effect";
  const FakeCommandRunner::Call* command = calls[0].broadcast ? &calls[1] : &calls[0];
  const FakeCommandRunner::Call* broadcast = calls[0].broadcast ? &calls[0] : &calls[1];
  EXPECT_EQ(command->text, "logger 'battery; low'");
  EXPECT_EQ(command->env.at("GRIDWATCH_EVENT"), "batterylow");
  EXPECT_EQ(command->env.at("GRIDWATCH_PHASE"), "happen");
  EXPECT_EQ(command->timeout_ms, PolicyActions::kCommandTimeoutMs);
  EXPECT_NE(command->thread, std::this_thread::get_id());
  EXPECT_TRUE(broadcast->broadcast);
  EXPECT_EQ(broadcast->text, "Battery low: saving work.");
  EXPECT_NE(broadcast->thread, std::this_thread::get_id());
  EXPECT_EQ(calls[2].text, "logger back");
  EXPECT_EQ(calls[2].env.at("GRIDWATCH_PHASE"), "restore");
  EXPECT_TRUE(rig.host.shutdowns.empty());
}

TEST(ShellCommandRunnerTest, RunsThroughTheShellWithTheEnvironment) {
  TempDir dir;
  std::unique_ptr<CommandRunner> runner = createShellCommandRunner();
  const std::string out = dir.file("out");
  ASSERT_EQ(
      runner->runCommand("printf '%s %s' \"$GRIDWATCH_EVENT\" \"$GRIDWATCH_PHASE\" > '" + out + "'",
                         {{"GRIDWATCH_EVENT", "powerfail"}, {"GRIDWATCH_PHASE", "happen"}}, 10000),
      RC_OK);
  EXPECT_EQ(dir.read("out"), "powerfail happen");
}

}  // namespace
}  // namespace gw
