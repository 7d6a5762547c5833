// The UPS model's timers and battery under a stepped clock.
#include "sim/ups_model.h"

#include <gtest/gtest.h>

#include "testing/fake_clock.h"

namespace gw {
namespace {

class UpsModelTest : public ::testing::Test {
 protected:
  FakeClock clock_;
  UpsModel model_{clock_, defaultUpsProfile(UpsKind::kBinary)};
};

TEST_F(UpsModelTest, BatteryDrainsOnBatteryFasterUnderLoadAndChargesOnMains) {
  model_.setLoad(10);
  model_.setMains(false);
  EXPECT_TRUE(model_.onBattery());
  EXPECT_EQ(model_.inputVolts(), 0.0);
  EXPECT_EQ(model_.outputVolts(), model_.profile().nominal_volts) << "inverter keeps nominal";
  clock_.advance(60 * 1000);
  double light = 100.0 - model_.capacity();
  EXPECT_GT(light, 0.5);
  model_.setLoad(100);
  double before = model_.capacity();
  clock_.advance(60 * 1000);
  EXPECT_GT(before - model_.capacity(), 3 * light) << "ten times the load drains much faster";

  model_.setMains(true);
  before = model_.capacity();
  clock_.advance(36 * 1000);
  EXPECT_NEAR(model_.capacity() - before, 1.0, 0.01) << "a full charge takes an hour";

  model_.setDrain(false);
  model_.setMains(false);
  before = model_.capacity();
  clock_.advance(600 * 1000);
  EXPECT_EQ(model_.capacity(), before) << "drain switched off";
}

TEST_F(UpsModelTest, LowBatterySignalFromChargeOrForced) {
  EXPECT_FALSE(model_.batteryLow());
  model_.setCapacity(UpsModel::kLowCapacity - 0.1);
  EXPECT_TRUE(model_.batteryLow());
  model_.setCapacity(90);
  model_.forceBatteryLow(true);
  EXPECT_TRUE(model_.batteryLow());
  model_.forceBatteryLow(false);
  EXPECT_FALSE(model_.batteryLow());
}

TEST_F(UpsModelTest, SelfTestRunsOnBatteryForItsTimeAndEndsEarlyOnLowBattery) {
  model_.startSelfTest(10000);
  EXPECT_TRUE(model_.selfTestRunning());
  EXPECT_TRUE(model_.onBattery());
  EXPECT_TRUE(model_.mainsPresent());
  clock_.advance(9999);
  EXPECT_TRUE(model_.selfTestRunning());
  clock_.advance(1);
  EXPECT_FALSE(model_.selfTestRunning());
  EXPECT_FALSE(model_.onBattery());

  model_.startSelfTest(60000);
  model_.forceBatteryLow(true);
  clock_.advance(1);
  EXPECT_FALSE(model_.selfTestRunning()) << "a test stops when the battery goes low";
}

TEST_F(UpsModelTest, SleepSwitchesOffThenOnAtTheRestoreTime) {
  model_.scheduleOutputOff(5000, 20000);
  EXPECT_TRUE(model_.waitingToSleep());
  EXPECT_FALSE(model_.waitingToWake());
  clock_.advance(4999);
  EXPECT_TRUE(model_.outputOn());
  clock_.advance(1);
  EXPECT_FALSE(model_.outputOn());
  EXPECT_FALSE(model_.waitingToSleep());
  EXPECT_TRUE(model_.waitingToWake());
  EXPECT_EQ(model_.load(), 0.0);
  EXPECT_TRUE(model_.alive()) << "mains still feeds the electronics";
  clock_.advance(15000);
  EXPECT_TRUE(model_.outputOn());
  EXPECT_FALSE(model_.waitingToWake());

  // A single long step still passes through switch-off and restore in order.
  model_.scheduleOutputOff(1000, 2000);
  clock_.advance(60000);
  EXPECT_TRUE(model_.outputOn());

  model_.scheduleOutputOff(1000, 2000);
  model_.cancelSchedule();
  clock_.advance(5000);
  EXPECT_TRUE(model_.outputOn()) << "cancelled";
}

TEST_F(UpsModelTest, ShutdownWithoutRestoreWaitsForMainsToReturn) {
  model_.setMains(false);
  model_.scheduleOutputOff(2000, -1);
  clock_.advance(2000);
  EXPECT_FALSE(model_.outputOn());
  EXPECT_FALSE(model_.alive()) << "no mains, no output: the UPS is dead";
  model_.setMains(true);
  EXPECT_TRUE(model_.outputOn());
  EXPECT_TRUE(model_.alive());

  // Shut down while mains is present: stays off until mains fails and returns.
  model_.scheduleOutputOff(0, -1);
  EXPECT_FALSE(model_.outputOn());
  model_.setMains(true);
  EXPECT_FALSE(model_.outputOn());
  model_.setMains(false);
  model_.setMains(true);
  EXPECT_TRUE(model_.outputOn());

  // A restore time that falls due while mains is absent waits for mains.
  model_.setMains(false);
  model_.scheduleOutputOff(1000, 3000);
  clock_.advance(10000);
  EXPECT_FALSE(model_.outputOn());
  model_.setMains(true);
  EXPECT_TRUE(model_.outputOn());
}

TEST_F(UpsModelTest, ExhaustedBatteryKillsTheOutputUntilMainsReturns) {
  model_.setCapacity(1);
  model_.setLoad(100);
  model_.setMains(false);
  clock_.advance(60 * 1000);
  EXPECT_EQ(model_.capacity(), 0.0);
  EXPECT_FALSE(model_.outputOn());
  EXPECT_FALSE(model_.alive());
  model_.setMains(true);
  EXPECT_TRUE(model_.outputOn());
}

TEST_F(UpsModelTest, BeepsOnBatteryWhileTheAlarmIsEnabled) {
  EXPECT_FALSE(model_.beeping());
  model_.setMains(false);
  EXPECT_TRUE(model_.beeping());
  model_.setAlarmEnabled(false);
  EXPECT_FALSE(model_.beeping());
}

}  // namespace
}  // namespace gw
