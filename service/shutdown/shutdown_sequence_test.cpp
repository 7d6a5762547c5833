// The shutdown sequence's order, its UPS commands, and how it rides over a missing or hanging
// closer and a dead driver; every run uses the fake clock and a fake system shutdown.
#include "service/shutdown/shutdown_sequence.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/fake_child_process.h"
#include "testing/fake_clock.h"
#include "testing/fake_driver_channel.h"
#include "testing/fake_system_power.h"
#include "testing/temp_dir.h"

namespace gw {
namespace {

class ShutdownSequenceTest : public ::testing::Test {
 protected:
  ShutdownSequenceTest() {
    channel_.setHandler([this](const std::string& request) {
      steps_.push_back(request);
      return request.substr(0, 2);  // the bare echo: the command was accepted
    });
    power_.onShutdown([this] { steps_.push_back("system"); });
  }

  // A launcher whose closer ends `run_ms` after it starts (FakeChildProcess::kNever: hangs).
  ShutdownSequence::Launcher closerRunning(int64_t run_ms) {
    return [this, run_ms](const SpawnOptions& options, std::unique_ptr<ChildProcess>* child) {
      launched_.push_back(options);
      steps_.push_back("closer");
      int64_t end = run_ms == FakeChildProcess::kNever ? run_ms : clock_.monotonicMs() + run_ms;
      *child = std::make_unique<FakeChildProcess>(clock_, end, 0, &closer_);
      return RC_OK;
    };
  }

  ShutdownSequence::Launcher closerMissing() {
    return [this](const SpawnOptions& options, std::unique_ptr<ChildProcess>*) {
      launched_.push_back(options);
      return RC_NOT_AVAILABLE;
    };
  }

  FakeClock clock_;
  FakeSystemPower power_;
  FakeDriverChannel channel_;
  DeviceProxy device_{channel_};
  std::vector<std::string> steps_;
  std::vector<SpawnOptions> launched_;
  // The sequence frees its closer once it stops waiting; the counts outlive it.
  FakeChildProcess::Counts closer_;
};

TEST_F(ShutdownSequenceTest, PowerFailureShutdownClosesAppsThenSwitchesTheUpsOffThenTheSystem) {
  ShutdownSequence sequence("/opt/gridwatch", clock_, power_, closerRunning(5000));
  sequence.run(0, ShutdownSettings{}, device_);

  EXPECT_EQ(steps_, (std::vector<std::string>{"closer", "C2 120", "system"}));
  ASSERT_EQ(launched_.size(), 1u);
  EXPECT_EQ(launched_[0].program, "/opt/gridwatch/sweeper");
  EXPECT_TRUE(launched_[0].args.empty());
  EXPECT_GE(clock_.slept(), 5000) << "waited for the closer";
  EXPECT_LE(clock_.slept(), 5000 + ShutdownSequence::kCloserPollMs) << "and not longer";
}

TEST_F(ShutdownSequenceTest, RestartRequestsSendTheSleepCommandWithTheRestartDelay) {
  ShutdownSequence sequence("/d", clock_, power_, closerRunning(0));
  // A scheduled shutdown-and-restart with parameter 0 arrives here as the request 1.
  sequence.run(1, ShutdownSettings{}, device_);
  EXPECT_EQ(channel_.requests(), (std::vector<std::string>{"C1 120 1"}));

  channel_.clearRequests();
  ShutdownSettings settings;
  settings.shutdown_delay_s = 45;
  sequence.run(3600, settings, device_);
  EXPECT_EQ(channel_.requests(), (std::vector<std::string>{"C1 45 3600"}));

  channel_.clearRequests();
  sequence.run(-1, settings, device_);
  EXPECT_TRUE(channel_.requests().empty()) << "no request: nothing happens";
  EXPECT_EQ(power_.calls(), 2);
}

TEST_F(ShutdownSequenceTest, AutoSaveOffSkipsTheCloserAndDoesNotWait) {
  ShutdownSequence sequence("/d", clock_, power_, closerRunning(5000));
  ShutdownSettings settings;
  settings.auto_save = false;
  sequence.run(0, settings, device_);
  EXPECT_TRUE(launched_.empty());
  EXPECT_EQ(steps_, (std::vector<std::string>{"C2 120", "system"}));
  EXPECT_EQ(clock_.slept(), 0);
}

TEST_F(ShutdownSequenceTest, MissingCloserIsNotWaitedFor) {
  ShutdownSequence sequence("/d", clock_, power_, closerMissing());
  EXPECT_EQ(sequence.runCloser(), RC_NOT_AVAILABLE);
  sequence.run(0, ShutdownSettings{}, device_);
  EXPECT_EQ(steps_, (std::vector<std::string>{"C2 120", "system"}));
  EXPECT_EQ(clock_.slept(), 0);

  // The same with the real launcher and a service directory without the closer.
  TempDir dir;
  ShutdownSequence real(dir.path(), clock_, power_);
  EXPECT_EQ(real.runCloser(), RC_NOT_AVAILABLE);
  EXPECT_EQ(clock_.slept(), 0);
}

TEST_F(ShutdownSequenceTest, HangingCloserIsLeftRunningAfterTwoMinutes) {
  ShutdownSequence sequence("/d", clock_, power_, closerRunning(FakeChildProcess::kNever));
  int64_t start = clock_.monotonicMs();
  EXPECT_EQ(sequence.runCloser(), RC_TIMEOUT);
  EXPECT_EQ(clock_.monotonicMs() - start, ShutdownSequence::kCloserWaitMs);
  ASSERT_EQ(launched_.size(), 1u);
  EXPECT_GT(closer_.waits, 0);
  EXPECT_EQ(closer_.terminations, 0) << "the closer is left running";
  EXPECT_EQ(closer_.stop_requests, 0);

  steps_.clear();
  sequence.run(0, ShutdownSettings{}, device_);
  EXPECT_EQ(steps_, (std::vector<std::string>{"closer", "C2 120", "system"}));

  // A closer that ends just inside the limit is waited for.
  ShutdownSequence late("/d", clock_, power_,
                        closerRunning(ShutdownSequence::kCloserWaitMs - 1));
  EXPECT_EQ(late.runCloser(), RC_OK);
}

TEST_F(ShutdownSequenceTest, DeadDriverStillLeadsToTheSystemShutdown) {
  channel_.setBroken(true);
  ShutdownSequence sequence("/d", clock_, power_, closerRunning(0));
  EXPECT_EQ(ShutdownSequence::switchUpsOff(device_, 0, 120), RC_PIPE_BROKEN);
  sequence.run(0, ShutdownSettings{}, device_);
  EXPECT_EQ(channel_.requests().back(), "C2 120");
  EXPECT_EQ(power_.calls(), 1);
}

TEST_F(ShutdownSequenceTest, RealCloserProgramIsStartedFromTheServiceDirectory) {
  TempDir dir;
  dir.writeScript("sweeper", "echo \"$#\" > \"$(dirname \"$0\")/ran\"\n");
  ShutdownSequence sequence(dir.path(), systemClock(), power_);
  EXPECT_EQ(sequence.runCloser(), RC_OK);
  EXPECT_EQ(dir.read("ran"), "0\n") << "started without arguments";
}

}  // namespace
}  // namespace gw
