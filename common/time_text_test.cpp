// Time texts: formats, exact separators on reading back, and local time.
#include "common/time_text.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

namespace gw {
namespace {

class TimeTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
  }
};

TEST_F(TimeTextTest, FormatsWireAndLogForms) {
  // 2002-11-05 17:04:09 UTC was a Tuesday.
  EXPECT_EQ(formatWireTime(1036515849000), "2002/11/05 2 17:04:09");
  EXPECT_EQ(formatLogTime(1036515849999), "2002/11/05 17:04:09");
  EXPECT_EQ(formatLogTime(1026738309000), "2002/07/15 13:05:09");
}

TEST_F(TimeTextTest, ReadsBackWhatItWrites) {
  int64_t ms = 0;
  ASSERT_TRUE(parseWireTime("2002/11/05 2 17:04:09", &ms));
  EXPECT_EQ(ms, 1036515849000);
  ASSERT_TRUE(parseLogTime("2002/07/15 13:05:09", &ms));
  EXPECT_EQ(ms, 1026738309000);
}

TEST_F(TimeTextTest, RefusesOtherSeparatorsAndRanges) {
  int64_t ms = 42;
  for (const char* bad : {"2002/11/05 2 17,04:09", "2002-11-05 2 17:04:09", "2002/11/05  17:04:09",
                          "2002/11/05 7 17:04:09", "2002/13/05 2 17:04:09", "2002/11/05 2 17:04:09 ",
                          "2002/11/05 2 24:00:00", "", "2002/11/05 17:04:09"}) {
    EXPECT_FALSE(parseWireTime(bad, &ms)) << bad;
  }
  EXPECT_EQ(ms, 42);
  EXPECT_FALSE(parseLogTime("2002/11/05 2 17:04:09", &ms));
}

TEST_F(TimeTextTest, FollowsTheLocalZone) {
  setenv("TZ", "CET-1", 1);
  tzset();
  EXPECT_EQ(formatLogTime(1036515849000), "2002/11/05 18:04:09");
  int64_t ms = 0;
  ASSERT_TRUE(parseLogTime("2002/11/05 18:04:09", &ms));
  EXPECT_EQ(ms, 1036515849000);
}

TEST_F(TimeTextTest, CalendarNormalisation) {
  int64_t ms = 0;
  LocalTime t{2003, 1, 31, 0, 12, 0, 0};
  t.month = 2;  // 31 February rolls into March
  ASSERT_TRUE(fromLocalTime(t, &ms));
  LocalTime back = toLocalTime(ms);
  EXPECT_EQ(back.month, 3);
  EXPECT_EQ(back.day, 3);
}

}  // namespace
}  // namespace gw
