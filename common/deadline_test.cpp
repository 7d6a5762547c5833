// Lowering a pass's timeout: both ends of the range clamp.
#include "common/deadline.h"

#include <gtest/gtest.h>

namespace gw {
namespace {

TEST(DeadlineTest, LowerTimeoutClampsBothEnds) {
  uint32_t t = kUnlimitedTimeout;
  lowerTimeout(t, 5000000000LL);
  EXPECT_EQ(t, kUnlimitedTimeout);
  lowerTimeout(t, 2500);
  EXPECT_EQ(t, 2500u);
  lowerTimeout(t, 4000);
  EXPECT_EQ(t, 2500u) << "a later deadline never raises the timeout";
  lowerTimeout(t, 0);
  EXPECT_EQ(t, 0u);
  t = 100;
  lowerTimeout(t, -20);
  EXPECT_EQ(t, 0u) << "a deadline already passed";
}

}  // namespace
}  // namespace gw
