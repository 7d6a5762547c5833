// Event texts, event records and status records as monctl shows them.
#include "client/core/log_records.h"

#include <gtest/gtest.h>

namespace gw {
namespace {

TEST(EventTextsTest, KeysAndFallbacks) {
  EXPECT_EQ(EventTexts::contentKey(0), "start.record.happen.content");
  EXPECT_EQ(EventTexts::contentKey(5), "powerfail.record.restore.content");
  EXPECT_EQ(EventTexts::contentKey(11), "tempover.record.restore.content");
  EXPECT_EQ(EventTexts::contentKey(12), "");
  EXPECT_EQ(EventTexts::contentKey(-1), "");

  EventTexts texts;
  EXPECT_EQ(texts.text(0), "UPS service started.");
  EXPECT_EQ(texts.text(3), "UPS communication established.");
  EXPECT_EQ(texts.text(11), "UPS temperature is recover.");
  EXPECT_EQ(texts.text(12), "event 012");
  texts.setText(4, "Mains gone!");
  texts.setText(5, "");
  texts.setText(40, "ignored");
  EXPECT_EQ(texts.text(4), "Mains gone!");
  EXPECT_EQ(texts.text(5), "UPS power restore.") << "an empty text keeps the built-in name";
}

TEST(LogRecordsTest, EventRecords) {
  EventTexts texts;
  texts.setText(4, "Mains gone!");
  int code = -1;
  ASSERT_TRUE(eventRecordCode("2002/07/15 13:05:09 004", &code));
  EXPECT_EQ(code, 4);
  EXPECT_EQ(formatEventRecord("2002/07/15 13:05:09 004", texts),
            "2002/07/15 13:05:09  Mains gone!");
  EXPECT_EQ(formatEventRecord("2002/07/15 13:05:09 001", texts),
            "2002/07/15 13:05:09  UPS service terminated.");
  EXPECT_EQ(formatEventRecord("2002/07/15 13:05:09 099", texts), "2002/07/15 13:05:09  event 099");
  for (const char* odd : {"2002/07/15 13:05:09 04", "2002/07/15 13:05:09 0041",
                          "2002/07/15 13:05:09 0x4", "2002/13/15 13:05:09 004", "", "garbage"}) {
    EXPECT_FALSE(eventRecordCode(odd, &code)) << odd;
    EXPECT_EQ(formatEventRecord(odd, texts), odd) << "shown as it came";
  }
}

TEST(LogRecordsTest, StatusRecords) {
  const std::string record = "2002/07/15 13:05:09 22950 23000 10000 02575 4998 03100";
  std::string line = formatStatusRecord(record);
  EXPECT_EQ(line.substr(0, 19), "2002/07/15 13:05:09");
  for (const char* value : {" 229.5", " 230", " 100", " 25.75", " 49.98", " 31"}) {
    EXPECT_NE(line.find(value), std::string::npos) << value << " in " << line;
  }
  EXPECT_LT(line.find("229.5"), line.find("49.98")) << "field order kept: " << line;
  EXPECT_EQ(line.size(), statusRecordHeader().size() - 1) << "columns line up under the titles "
                                                             "(the degree sign is two bytes)";
  std::string wide = formatStatusRecord("2002/07/15 13:05:09 123456 23000 10000 02575 4998 -0050");
  EXPECT_EQ(wide.find("1234.56") + 7, line.find("229.5") + 5) << "a wider field still reads";
  EXPECT_NE(wide.find(" -0.5"), std::string::npos) << wide;
  for (const char* odd : {"2002/07/15 13:05:09 22950 23000 10000 02575 4998",
                          "2002/07/15 13:05:09 22950 23000 10000 02575 4998 03100 1",
                          "2002/07/15 13:05:09 22950  23000 10000 02575 4998 03100",
                          "2002/07/15 13:05:09 22950 23000 10000 02575 49x8 03100", "short"}) {
    EXPECT_EQ(formatStatusRecord(odd), odd);
  }
}

}  // namespace
}  // namespace gw
