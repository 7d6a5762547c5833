// Schedule items as monctl lists them.
#include "tools/monctl/schedule_text.h"

#include <gtest/gtest.h>

namespace gw {
namespace {

TEST(ScheduleTextTest, ItemsByRepeatAndAction) {
  EXPECT_EQ(formatScheduleItem("2 2 2002/11/05 2 22:30:00 2002/11/06 3 07:00:00"),
            "daily    2002/11/05 Tue 22:30:00  shut down, UPS output back on 2002/11/06 Wed "
            "07:00:00");
  EXPECT_EQ(formatScheduleItem("1 1 2002/11/05 2 22:30:00 2002/11/05 2 22:30:00"),
            "once     2002/11/05 Tue 22:30:00  shut down");
  EXPECT_EQ(formatScheduleItem("4 3 2002/11/05 2 22:30:00 2002/11/05 2 22:40:00"),
            "monthly  2002/11/05 Tue 22:30:00  self-test until 2002/11/05 Tue 22:40:00 (600 s)");
  EXPECT_EQ(formatScheduleItem("3 9 2002/11/05 2 22:30:00 2002/11/05 2 22:40:00"),
            "weekly   2002/11/05 Tue 22:30:00  nothing (action 9)");
  EXPECT_EQ(formatScheduleItem("7 1 2002/11/05 2 22:30:00 2002/11/05 2 22:40:00").substr(0, 9),
            "once     ")
      << "any other repeat number is a one-time item";
  for (const char* odd :
       {"2 2 2002,11/05 2 22:30:00 2002/11/06 3 07:00:00",
        "2 2 2002/11/05 9 22:30:00 2002/11/06 3 07:00:00", "2 2 2002/11/05 2 22:30:00",
        "x 2 2002/11/05 2 22:30:00 2002/11/06 3 07:00:00",
        "2 2 2002/11/05 2 22:30:00 2002/11/06 3 07:00:00 extra", ""}) {
    EXPECT_EQ(formatScheduleItem(odd), odd) << "shown as it came";
  }
}

}  // namespace
}  // namespace gw
