// The step of a held spin.
#include "client/editors/spin_acceleration.h"

#include <gtest/gtest.h>

#include "client/editors/integer_field.h"

namespace gw {
namespace {

TEST(SpinAccelerationTest, StepGrowsWithTheHoldingTime) {
  EXPECT_EQ(SpinAcceleration::stepAfter(0), 1);
  EXPECT_EQ(SpinAcceleration::stepAfter(1999), 1);
  EXPECT_EQ(SpinAcceleration::stepAfter(2000), 10);
  EXPECT_EQ(SpinAcceleration::stepAfter(4999), 10);
  EXPECT_EQ(SpinAcceleration::stepAfter(5000), 100);
  SpinAcceleration spin;
  EXPECT_EQ(spin.step(10000), 1) << "not held";
  spin.press(1000);
  EXPECT_EQ(spin.step(3500), 10);
  EXPECT_EQ(spin.step(6000), 100);
  spin.release();
  EXPECT_EQ(spin.step(6000), 1);
  spin.press(6000);
  EXPECT_EQ(spin.step(6000), 1) << "a new press starts again";
}

TEST(IntegerFieldTest, RangesAndText) {
  int value = -7;
  std::string message;
  EXPECT_TRUE(readIntegerField(" 180 ", 0, 180, &value, &message));
  EXPECT_EQ(value, 180);
  EXPECT_FALSE(readIntegerField("181", 0, 180, &value, &message));
  EXPECT_EQ(message, "Please enter an integer between 0 and 180.");
  EXPECT_FALSE(readIntegerField("", 0, 180, &value, &message));
  EXPECT_EQ(message, "Please enter an integer.");
  EXPECT_FALSE(readIntegerField("99999999999999999999", 0, 180, &value, &message));
  EXPECT_FALSE(readIntegerField("-1", 0, 180, &value, &message));
  EXPECT_EQ(message, "Please enter an integer between 0 and 180.");
  EXPECT_EQ(value, 180);
}

}  // namespace
}  // namespace gw
