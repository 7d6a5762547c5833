// The shutdown sequence's order and UPS commands, and how it rides over a missing or hanging
// closer and a dead driver; every run uses the fake clock and a fake system shutdown.
#include "service/shutdown/shutdown_sequence.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "service/shutdown/program_closer.h"
#include "testing/closer_launchers.h"
#include "testing/fake_clock.h"
#include "testing/fake_driver_channel.h"
#include "testing/fake_system_power.h"

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

  FakeClock clock_;
  FakeSystemPower power_;
  FakeDriverChannel channel_;
  DeviceProxy device_{channel_};
  std::vector<std::string> steps_;
  CloserLaunches launches_{clock_};
};

TEST_F(ShutdownSequenceTest, PowerFailureShutdownClosesAppsThenSwitchesTheUpsOffThenTheSystem) {
  auto closer = launches_.closer("/opt/gridwatch", launches_.running(5000, &steps_));
  ShutdownSequence sequence(*closer, power_);
  sequence.run(0, ShutdownSettings{}, device_);

  EXPECT_EQ(steps_, (std::vector<std::string>{"closer", "C2 120", "system"}));
  ASSERT_EQ(launches_.launched.size(), 1u);
  EXPECT_EQ(launches_.launched[0].program, "/opt/gridwatch/sweeper");
  EXPECT_GE(clock_.slept(), 5000) << "waited for the closer";
}

TEST_F(ShutdownSequenceTest, RestartRequestsSendTheSleepCommandWithTheRestartDelay) {
  auto closer = launches_.closer("/d", launches_.running(0));
  ShutdownSequence sequence(*closer, power_);
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
  auto closer = launches_.closer("/d", launches_.running(5000, &steps_));
  ShutdownSequence sequence(*closer, power_);
  ShutdownSettings settings;
  settings.auto_save = false;
  sequence.run(0, settings, device_);
  EXPECT_TRUE(launches_.launched.empty());
  EXPECT_EQ(steps_, (std::vector<std::string>{"C2 120", "system"}));
  EXPECT_EQ(clock_.slept(), 0);
}

TEST_F(ShutdownSequenceTest, MissingOrHangingCloserStillLeadsToTheUpsCommandAndTheSystem) {
  auto missing = launches_.closer("/d", launches_.missing());
  ShutdownSequence without(*missing, power_);
  without.run(0, ShutdownSettings{}, device_);
  EXPECT_EQ(steps_, (std::vector<std::string>{"C2 120", "system"}));
  EXPECT_EQ(clock_.slept(), 0);

  steps_.clear();
  auto hanging = launches_.closer("/d", launches_.running(FakeChildProcess::kNever, &steps_));
  ShutdownSequence held(*hanging, power_);
  int64_t start = clock_.monotonicMs();
  held.run(0, ShutdownSettings{}, device_);
  EXPECT_EQ(steps_, (std::vector<std::string>{"closer", "C2 120", "system"}));
  EXPECT_EQ(clock_.monotonicMs() - start, ApplicationCloser::kWaitLimitMs);
}

TEST_F(ShutdownSequenceTest, DeadDriverStillLeadsToTheSystemShutdown) {
  channel_.setBroken(true);
  auto closer = launches_.closer("/d", launches_.running(0));
  ShutdownSequence sequence(*closer, power_);
  EXPECT_EQ(ShutdownSequence::switchUpsOff(device_, 0, 120), RC_PIPE_BROKEN);
  sequence.run(0, ShutdownSettings{}, device_);
  EXPECT_EQ(channel_.requests().back(), "C2 120");
  EXPECT_EQ(power_.calls(), 1);
}

}  // namespace
}  // namespace gw
