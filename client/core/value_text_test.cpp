// Units, rounding-free hundredths and failure texts of the status listing.
#include "client/core/value_text.h"

#include <gtest/gtest.h>

namespace gw {
namespace {

TEST(ValueTextTest, HundredthsKeepEveryDigitAndNoMore) {
  EXPECT_EQ(formatHundredths(23000), "230");
  EXPECT_EQ(formatHundredths(4995), "49.95");
  EXPECT_EQ(formatHundredths(2250), "22.5");
  EXPECT_EQ(formatHundredths(5), "0.05");
  EXPECT_EQ(formatHundredths(0), "0");
  EXPECT_EQ(formatHundredths(-550), "-5.5");
  EXPECT_EQ(formatHundredths(-5), "-0.05");
  EXPECT_EQ(formatHundredths(INT64_MIN), "-92233720368547758.08");
}

TEST(ValueTextTest, BackupTimeInMinutesAndSeconds) {
  EXPECT_EQ(formatBackupTime(45), "45 s");
  EXPECT_EQ(formatBackupTime(60), "1 min 0 s");
  EXPECT_EQ(formatBackupTime(750), "12 min 30 s");
  EXPECT_EQ(formatBackupTime(0), "0 s");
}

TEST(ValueTextTest, StatusLinesCarryUnitsFlagsAndFailures) {
  auto ends = [](const std::string& line, const std::string& tail) {
    return line.size() >= tail.size() &&
           line.compare(line.size() - tail.size(), tail.size(), tail) == 0;
  };
  struct Row {
    int index;
    ResultCode code;
    int32_t value;
    const char* tail;
  };
  const Row rows[] = {
      {0, RC_OK, 23150, "231.5 V"},
      {2, RC_OK, 10000, "100 %"},
      {3, RC_OK, 2575, "25.75 %"},
      {4, RC_OK, 3100, "31 \u00B0C"},
      {5, RC_OK, 4998, "49.98 Hz"},
      {6, RC_OK, 750, "12 min 30 s"},
      {7, RC_OK, 1, "yes"},
      {8, RC_OK, 0, "no"},
      {12, RC_NO_DEVICE, 0, "no UPS (8)"},
      {0, RC_UNSUPPORTED, 0, "not supported by this UPS (1)"},
      {13, static_cast<ResultCode>(77), 0, "error (77)"},
  };
  for (const Row& row : rows) {
    std::string line = formatStatusLine(row.index, row.code, row.value);
    EXPECT_TRUE(ends(line, row.tail)) << line;
    EXPECT_EQ(line.rfind(std::string(statusVariableName(row.index)) + " ", 0), 0u) << line;
  }
  EXPECT_EQ(statusVariableName(12), "STATUS_CONNECT");
  EXPECT_EQ(statusVariableName(13), "STATUS_BEEP");
  EXPECT_EQ(statusVariableName(14), "");
  EXPECT_EQ(formatStatusLine(14, RC_OK, 0), "");
}

TEST(ValueTextTest, EveryCodeOfTheSystemHasAMeaning) {
  for (int code :
       {1, 2, 4, 5, 6, 7, 8, 9, 10, 11, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 30, 31, 32, 33}) {
    EXPECT_NE(resultCodeMeaning(code), "error") << code;
  }
  EXPECT_EQ(resultCodeMeaning(3), "error");
  EXPECT_EQ(failedReadText(33), "access denied (33)");
}

}  // namespace
}  // namespace gw
