// The text-protocol device against a scripted UPS.
#include "driver/devices/text_device.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "testing/fake_clock.h"
#include "testing/fake_media.h"

namespace gw {
namespace {

TEST(TextNumberTest, HundredthsParsing) {
  struct Row {
    const char* text;
    int base;
    bool ok;
    int32_t value;
  };
  const Row rows[] = {
      {"230.5", 10, true, 23050},   {"230", 10, true, 23000}, {"230.25", 10, true, 23025},
      {"230.259", 10, true, 23025}, {"0.07", 10, true, 7},    {"-1.5", 10, true, -150},
      {" 49.9 ", 10, true, 4990},   {"E6", 16, true, 23000},  {"e6.5", 16, true, 23050},
      {"E6", 10, false, 0},         {"", 10, false, 0},       {".", 10, false, 0},
      {"1x", 10, false, 0},         {"1.x", 10, false, 0},    {"99999999", 10, false, 0},
  };
  for (const Row& row : rows) {
    int32_t v = -1;
    EXPECT_EQ(TextDevice::parseHundredths(row.text, row.base, &v), row.ok) << row.text;
    if (row.ok) {
      EXPECT_EQ(v, row.value) << row.text;
    }
  }
}

class TextDeviceTest : public ::testing::Test {
 protected:
  TextDeviceTest() : media_(2, kMediaSerial, &clock_) {
    device_ = std::make_unique<TextDevice>(media_, clock_);
    media_.clearWrites();
  }

  std::string text(int element) {
    char buffer[64];
    size_t size = sizeof(buffer);
    const ResultCode rc = device_->getText(element, buffer, &size);
    return rc == RC_OK ? std::string(buffer) : "error " + std::to_string(rc);
  }
  int32_t number(int element) {
    int32_t v = -1;
    const ResultCode rc = device_->getNumber(element, &v);
    return rc == RC_OK ? v : -1000 - rc;
  }
  int32_t status(int n) {
    int32_t v = -1;
    EXPECT_EQ(device_->getStatus(n, &v), RC_OK) << "S" << n;
    return v;
  }
  size_t sent(const std::string& command) {
    return static_cast<size_t>(std::count(media_.writes().begin(), media_.writes().end(), command));
  }

  FakeClock clock_;
  FakeMedia media_;
  std::unique_ptr<TextDevice> device_;
};

TEST_F(TextDeviceTest, ConstructionSetsTheLine) {
  EXPECT_EQ(media_.baudRate(), 2400);
  EXPECT_EQ(media_.outputs() & (LC_DTR | LC_RTS), LC_DTR);
  EXPECT_EQ(number(21), 2400);
  EXPECT_EQ(number(24), 2);
}

TEST_F(TextDeviceTest, PollReadsTheTaggedFields) {
  media_.answerAlways("P3\r", "#24.0,2,7.2,0\r");
  // Status '\x60': power failure (bit 6) and battery low (bit 5).
  media_.answerAlways("D\r", "#I230.5O220.0L25B100T30.5F50.0S\x60@\r");
  ASSERT_EQ(device_->poll(), RC_OK);
  EXPECT_EQ(status(0), 23050);
  EXPECT_EQ(status(1), 22000);
  EXPECT_EQ(status(3), 2500);
  EXPECT_EQ(status(2), 10000);
  EXPECT_EQ(status(4), 3050);
  EXPECT_EQ(status(5), 5000);
  // x = 10000 * 2 * 720 * 2 / 100 = 288000; (2880) * (100 - 25) / 100.
  EXPECT_EQ(status(6), 2160);
  EXPECT_EQ(status(7), 1);
  EXPECT_EQ(status(8), 1);
  EXPECT_EQ(status(9), 0);
  EXPECT_EQ(status(12), 1);
  EXPECT_EQ(number(25), 2400);

  // Status characters that look like tags; a load over 100 % counts as 90 % for the time.
  media_.answerAlways("D\r", "#SIBI230O230L150B50T30F50\r");
  ASSERT_EQ(device_->poll(), RC_OK);
  EXPECT_EQ(status(2), 5000);
  EXPECT_EQ(status(6), 1440 * 10 / 100);
  EXPECT_EQ(status(7), 1) << "'I' is 0x49: bit 6";
  EXPECT_EQ(status(9), 1) << "and bit 3";
  EXPECT_EQ(sent("P3\r"), 1u) << "the battery data is asked once";
  EXPECT_EQ(sent("P9\r"), 2u) << "an unanswered number base is asked once, read as decimal";
}

TEST_F(TextDeviceTest, MalformedPollAnswersAreRetriedWithADrain) {
  media_.answerAlways("P3\r", "#24.0,2,7.2,0\r");
  media_.answerAlways("P9\r", "#\x80\r");
  const char* bad[] = {
      "#I230O230L25B100T30S\x40\x40\r",      // no frequency
      "#I230O230L25B100T30F50S\x40\r",       // status too short
      "#I230O230L25B100T30F5x0S\x40\x40\r",  // not a number
      "I230O230L25B100T30F50S\x40\x40\r",    // no '#'
      "#I230O230L25B100T30F50S\x40\x40",     // no carriage return
      "#XI230O230L25B100T30F50S\x40\x40\r",  // not a tag
  };
  for (const char* answer : bad) {
    media_.clearWrites();
    media_.answerAlways("D\r", answer);
    const int64_t before = clock_.slept();
    EXPECT_EQ(device_->poll(), RC_BAD_REPLY) << answer;
    EXPECT_EQ(sent("D\r"), 3u) << answer;
    EXPECT_EQ(clock_.slept() - before, 200) << answer;
  }
  media_.forget("P3\r");
  device_ = std::make_unique<TextDevice>(media_, clock_);
  media_.answerAlways("D\r", "#I230O230L25B100T30F50S\x40\x40\r");
  EXPECT_EQ(device_->poll(), RC_SHORT_REPLY) << "the battery data could not be fetched";
  media_.setLineStatus(0);
  EXPECT_EQ(device_->poll(), RC_NO_DEVICE);
}

TEST_F(TextDeviceTest, HexadecimalNumbersWhenTheFlagSaysSo) {
  media_.answerAlways("P3\r", "#24.0,2,7.2,0\r");
  media_.answerAlways("P9\r", std::string("#\xC8\x80\xF0\r"));  // a: bits 7, 6, 3
  media_.answerAlways("D\r", "#Ie6Oe6L19B64T1eF32S\x40\x40\r");
  ASSERT_EQ(device_->poll(), RC_OK);
  EXPECT_EQ(status(0), 23000);
  EXPECT_EQ(status(3), 2500);
  EXPECT_EQ(status(2), 10000);
  EXPECT_EQ(sent("P9\r"), 1u) << "the first poll asks for the number base";
  EXPECT_EQ(number(32), 1);
  EXPECT_EQ(number(29), 1);
  EXPECT_EQ(number(31), 1);
}

TEST_F(TextDeviceTest, QueriesFillTheirElements) {
  media_.answerAlways("P1\r", "#120.0,264.3,175,20.5\r");
  media_.answerAlways("P2\r", "#1000,700,230,45.5,55\r");
  media_.answerAlways("P4\r", "#  Model-A ext,1.02,SN123 x, Acme\r");
  media_.answerAlways("P5\r", "#110,115,120\r");
  media_.answerAlways("P6\r", "#250,260\r");
  int32_t v = 0;
  EXPECT_EQ(device_->getSetting(3, 0, &v), RC_OK);
  EXPECT_EQ(v, 120);
  EXPECT_EQ(device_->getSetting(0, 0, &v), RC_OK);
  EXPECT_EQ(v, 264) << "whole units";
  EXPECT_EQ(device_->getSetting(2, 0, &v), RC_OK);
  EXPECT_EQ(v, 20);
  EXPECT_EQ(sent("P1\r"), 1u);
  EXPECT_EQ(device_->getSetting(6, 0, &v), RC_OK);
  EXPECT_EQ(v, 0);
  EXPECT_EQ(device_->getSetting(0, 1, &v), RC_UNSUPPORTED) << "no secondary values";
  EXPECT_EQ(number(19), 100000);
  EXPECT_EQ(number(17), 4550);
  EXPECT_EQ(number(18), 5500);
  EXPECT_EQ(text(12), "Model-A");
  EXPECT_EQ(text(13), "1.02");
  EXPECT_EQ(text(14), "SN123");
  EXPECT_EQ(text(15), "Acme");
  EXPECT_EQ(text(11), "110,115,120");
  EXPECT_EQ(text(8), "250,260");
  EXPECT_EQ(sent("P4\r"), 1u);

  media_.answerAlways("P7\r", "#1,2\r");
  EXPECT_EQ(text(9), "1,2");
  media_.answerAlways("P3\r", "#24.0,2,7.2\r");
  EXPECT_EQ(number(27), -1000 - RC_BAD_REPLY) << "too few fields";
  EXPECT_EQ(sent("P3\r"), 2u);
  EXPECT_EQ(number(33), -1000 - RC_NOT_AVAILABLE);
}

TEST_F(TextDeviceTest, FlagQueryBits) {
  // a = 0xF0: bits 7, 6, 5, 4; b missing counts as 240 (bits 7, 6, 5, 4).
  media_.answerAlways("P9\r", "#\xF0\r");
  bool on = false;
  ASSERT_EQ(device_->getAlarm(&on), RC_OK);
  EXPECT_TRUE(on);
  EXPECT_EQ(number(31), 0);
  EXPECT_EQ(number(32), 0);
  EXPECT_EQ(number(30), 1);
  EXPECT_EQ(number(29), 1);
  int32_t v = 0;
  EXPECT_EQ(device_->getSetting(4, 0, &v), RC_OK);
  EXPECT_EQ(v, 1);
  EXPECT_EQ(device_->getSetting(5, 0, &v), RC_OK);
  EXPECT_EQ(v, 1);

  device_ = std::make_unique<TextDevice>(media_, clock_);
  media_.answerAlways("P9\r", "#\x80\x80\xC0\r");  // b = 0xC0: bit 6 only
  EXPECT_EQ(device_->getSetting(4, 0, &v), RC_OK);
  EXPECT_EQ(v, 0);
  EXPECT_EQ(device_->getSetting(5, 0, &v), RC_OK);
  EXPECT_EQ(v, 1);
  ASSERT_EQ(device_->getAlarm(&on), RC_OK);
  EXPECT_FALSE(on);
  EXPECT_EQ(number(31), 1);

  device_ = std::make_unique<TextDevice>(media_, clock_);
  media_.answerAlways("P9\r", "#\x80\x40\r");
  EXPECT_EQ(device_->getAlarm(&on), RC_BAD_REPLY) << "every character has its top bit set";
}

TEST_F(TextDeviceTest, CommandsAndSettings) {
  media_.answerAlways("C4:05\r", "#0\r");
  struct Row {
    const char* what;
    std::function<ResultCode(Device&)> run;
    ResultCode rc;
    const char* sent;  // empty: nothing may be sent
  };
  const Row rows[] = {
      {"C0 90", [](Device& d) { return d.selfTest(90); }, RC_OK, "T01\r"},
      {"C0 30", [](Device& d) { return d.selfTest(30); }, RC_OK, "T.5\r"},
      {"C0 3", [](Device& d) { return d.selfTest(3); }, RC_OK, "T.1\r"},
      {"C0 6000", [](Device& d) { return d.selfTest(6000); }, RC_OK, "T99\r"},
      {"C0 600", [](Device& d) { return d.selfTest(600); }, RC_OK, "T10\r"},
      {"C0 cancel", [](Device& d) { return d.selfTest(-1); }, RC_OK, "CT\r"},
      {"C0 negative", [](Device& d) { return d.selfTest(-5); }, RC_BAD_VALUE, ""},
      {"C2 30", [](Device& d) { return d.shutdown(30); }, RC_OK, "S.2\r"},
      {"C2 900", [](Device& d) { return d.shutdown(900); }, RC_OK, "S10\r"},
      {"C2 120", [](Device& d) { return d.shutdown(120); }, RC_OK, "S02\r"},
      {"C2 cancel", [](Device& d) { return d.shutdown(-1); }, RC_OK, "C\r"},
      {"C1 60 120", [](Device& d) { return d.sleep(60, 120); }, RC_OK, "S01R0003\r"},
      {"C1 30 0", [](Device& d) { return d.sleep(30, 0); }, RC_OK, "S.5R0001\r"},
      {"C1 3 0", [](Device& d) { return d.sleep(3, 0); }, RC_OK, "S.1R0001\r"},
      {"C1 long", [](Device& d) { return d.sleep(3600, 1000000); }, RC_OK, "S10R9999\r"},
      {"C1 cancel", [](Device& d) { return d.sleep(-1, -1); }, RC_OK, "C\r"},
      {"W2 5", [](Device& d) { return d.setSetting(2, 5); }, RC_OK, "C4:05\r"},
      {"W0 264", [](Device& d) { return d.setSetting(0, 264); }, RC_OK, "C2:264\r"},
      {"W1 90", [](Device& d) { return d.setSetting(1, 90); }, RC_OK, "C3:090\r"},
      {"W3 120", [](Device& d) { return d.setSetting(3, 120); }, RC_OK, "C1:120\r"},
      {"W4 1", [](Device& d) { return d.setSetting(4, 1); }, RC_OK, "C6:1\r"},
      {"W5 0", [](Device& d) { return d.setSetting(5, 0); }, RC_OK, "C5:0\r"},
      {"W7 5", [](Device& d) { return d.setAlarm(5); }, RC_OK, "C7:1\r"},
      {"C3", [](Device& d) { return d.toggleBuzzer(); }, RC_OK, "C7:2\r"},
      {"W6", [](Device& d) { return d.setSetting(6, 1); }, RC_UNSUPPORTED, ""},
      {"W0 too wide", [](Device& d) { return d.setSetting(0, 1000); }, RC_BAD_VALUE, ""},
      {"W2 negative", [](Device& d) { return d.setSetting(2, -1); }, RC_BAD_VALUE, ""},
  };
  for (const char* command :
       {"T01\r",    "T.5\r",    "T.1\r",    "T99\r",      "T10\r",      "CT\r",       "S.2\r",
        "S10\r",    "S02\r",    "C\r",      "S01R0003\r", "S.5R0001\r", "S.1R0001\r", "S10R9999\r",
        "C2:264\r", "C3:090\r", "C1:120\r", "C6:1\r",     "C5:0\r",     "C7:1\r",     "C7:2\r"}) {
    media_.answerAlways(command, "#0\r");
  }
  for (const Row& row : rows) {
    media_.clearWrites();
    EXPECT_EQ(row.run(*device_), row.rc) << row.what;
    if (row.sent[0] == '\0') {
      EXPECT_TRUE(media_.writes().empty()) << row.what << ": sent something";
    } else {
      ASSERT_FALSE(media_.writes().empty()) << row.what;
      EXPECT_EQ(media_.writes()[0], row.sent) << row.what;
      EXPECT_EQ(media_.writes().size(), 1u) << row.what;
    }
  }
  int32_t v = 0;
  EXPECT_EQ(device_->getSetting(2, 0, &v), RC_OK);
  EXPECT_EQ(v, 5) << "a confirmed setting is held";
  EXPECT_EQ(sent("P1\r"), 0u);
}

TEST_F(TextDeviceTest, RefusedAndUnansweredSettings) {
  media_.answerAlways("C4:05\r", "#3\r");
  EXPECT_EQ(device_->setSetting(2, 5), RC_UNSUPPORTED);
  EXPECT_EQ(sent("C4:05\r"), 1u) << "a refusal is not retried";
  media_.answerAlways("S.2\r", "#1\r");
  EXPECT_EQ(device_->shutdown(30), RC_UNSUPPORTED);

  media_.clearWrites();
  media_.forget("C4:05\r");
  EXPECT_EQ(device_->setSetting(2, 5), RC_SHORT_REPLY);
  EXPECT_EQ(sent("C4:05\r"), 2u);
  media_.answerAlways("C4:05\r", "garbage");
  EXPECT_EQ(device_->setSetting(2, 5), RC_BAD_REPLY);
  media_.setLineStatus(0);
  media_.forget("C4:05\r");
  media_.clearWrites();
  EXPECT_EQ(device_->setSetting(2, 5), RC_NO_DEVICE);
  EXPECT_EQ(sent("C4:05\r"), 1u) << "DSR down ends the retries";
  media_.forget("S.2\r");
  EXPECT_EQ(device_->shutdown(30), RC_NO_DEVICE);
}

}  // namespace
}  // namespace gw
