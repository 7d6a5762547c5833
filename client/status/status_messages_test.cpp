// The message table in its order, and the message line's five-second "UPS OK." rule.
#include "client/status/status_messages.h"

#include <gtest/gtest.h>

#include <string>

#include "client/status/display_record.h"

namespace gw {
namespace {

std::vector<std::string> texts(uint32_t previous, uint32_t current) {
  std::vector<std::string> out;
  for (const StatusMessage& m : messagesForChange(previous, current)) out.push_back(m.text);
  return out;
}

TEST(StatusMessages, EveryRowInTableOrder) {
  struct Case {
    uint32_t bit;
    const char* cleared;  // bit set, then clear
    const char* raised;   // bit clear, then set
  } rows[] = {{kFlagCommLost, "UPS communication established.", "UPS communication can't establish."},
              {kFlagSelfTest, "UPS testing finished.", "UPS Self testing."},
              {kFlagTurnOffSoon, "Schedule shutdown is canceled.", "UPS will shutdown system."},
              {kFlagTempHigh, "UPS temperature recover to normal.", "UPS temperature is too high !"},
              {kFlagOverload, "UPS loading recover to normal.", "UPS is overload !"},
              {kFlagPowerFail, "UPS power restore.", "UPS power failure !"},
              {kFlagBatteryLow, "UPS battery capacity recover to normal.",
               "UPS battery capacity low !"}};
  for (const Case& c : rows) {
    auto down = messagesForChange(c.bit, 0);
    ASSERT_EQ(down.size(), 1u) << c.cleared;
    EXPECT_STREQ(down[0].text, c.cleared);
    auto up = messagesForChange(0, c.bit);
    ASSERT_EQ(up.size(), 1u) << c.raised;
    EXPECT_STREQ(up[0].text, c.raised);
  }
  EXPECT_TRUE(texts(kFlagTurnOffToday | kFlagTurnOnAgain, 0).empty());
  EXPECT_TRUE(texts(kFlagPowerFail, kFlagPowerFail).empty());
}

TEST(StatusMessages, KindsAndCommunicationChanges) {
  auto up = messagesForChange(kFlagCommLost, 0);
  EXPECT_EQ(up[0].kind, MessageKind::kInformation);
  EXPECT_EQ(up[0].comm, CommChange::kUp);
  auto down = messagesForChange(0, kFlagCommLost);
  EXPECT_EQ(down[0].kind, MessageKind::kAlarm);
  EXPECT_EQ(down[0].comm, CommChange::kDown);
  EXPECT_EQ(messagesForChange(0, kFlagPowerFail)[0].kind, MessageKind::kAlarm);
  EXPECT_EQ(messagesForChange(kFlagPowerFail, 0)[0].kind, MessageKind::kInformation);
  EXPECT_EQ(messagesForChange(0, kFlagPowerFail)[0].comm, CommChange::kNone);
}

TEST(StatusMessages, SeveralChangesComeInTableOrderSoTheLastOneStays) {
  // Communication comes up during a power failure: established first, then the failure.
  EXPECT_EQ(texts(kFlagCommLost, kFlagPowerFail | kFlagBatteryLow),
            (std::vector<std::string>{"UPS communication established.", "UPS power failure !",
                                      "UPS battery capacity low !"}));
  // The cable goes during a failure: the restore of bit 1 is announced before the loss.
  EXPECT_EQ(texts(kFlagPowerFail, kFlagCommLost),
            (std::vector<std::string>{"UPS power restore.", "UPS communication can't establish."}));
  // The first tick starts from all clear with the communication not yet known.
  EXPECT_EQ(texts(0, kFlagCommLost),
            (std::vector<std::string>{"UPS communication can't establish."}));
}

TEST(MessageLine, InformationBecomesUpsOkAfterFiveSeconds) {
  MessageLine line;
  line.show("UPS power restore.", MessageKind::kInformation, 1000);
  EXPECT_EQ(line.deadline(), 6000);
  EXPECT_FALSE(line.tick(5999));
  EXPECT_EQ(line.text(), "UPS power restore.");
  EXPECT_TRUE(line.tick(6000));
  EXPECT_EQ(line.text(), "UPS OK.");
  EXPECT_EQ(line.kind(), MessageKind::kAlarm) << "UPS OK. stays";
  EXPECT_FALSE(line.deadline().has_value());
  EXPECT_FALSE(line.tick(60000));
  EXPECT_EQ(line.text(), "UPS OK.");
}

TEST(MessageLine, ANewTextRestartsOrCancelsTheWait) {
  MessageLine line;
  line.show("UPS communication established.", MessageKind::kInformation, 0);
  line.show("UPS power restore.", MessageKind::kInformation, 4000);
  EXPECT_FALSE(line.tick(5000)) << "the five seconds count from the newest text";
  EXPECT_TRUE(line.tick(9000));
  line.show("UPS testing finished.", MessageKind::kInformation, 10000);
  line.show("UPS power failure !", MessageKind::kAlarm, 11000);
  EXPECT_FALSE(line.tick(20000)) << "an alarm stays until the next text";
  EXPECT_EQ(line.text(), "UPS power failure !");
}

}  // namespace
}  // namespace gw
