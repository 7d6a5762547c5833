// The text protocol's answers through the in-process media.
#include "sim/text_responder.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "sim/sim_media.h"
#include "sim/sim_ups.h"
#include "testing/fake_clock.h"

namespace gw {
namespace {

class TextResponderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SimUps::create(clock_, UpsKind::kText, "KT-1000", &ups_), RC_OK);
    media_.reset(SimMedia::create(*ups_));
  }

  std::string ask(const std::string& command) {
    media_->write(reinterpret_cast<const uint8_t*>(command.data()),
                  static_cast<int>(command.size()));
    uint8_t buf[256];
    int n = media_->read(buf, -1);
    return std::string(reinterpret_cast<char*>(buf), static_cast<size_t>(n));
  }

  // The status character of a "D" answer.
  unsigned status() {
    std::string a = ask("D\r");
    size_t s = a.find('S');
    EXPECT_NE(s, std::string::npos) << a;
    EXPECT_EQ(a.size(), s + 4) << "two status characters and CR";
    return s == std::string::npos ? 0 : static_cast<unsigned char>(a[s + 1]);
  }

  FakeClock clock_;
  std::unique_ptr<SimUps> ups_;
  std::unique_ptr<SimMedia, MediaReleaser> media_;
};

TEST_F(TextResponderTest, StatusAnswerFieldsAndFlags) {
  ups_->model().setLoad(25);
  ups_->model().setTemperature(30.5);
  std::string a = ask("D\r");
  EXPECT_EQ(a, std::string("#I230.0O230.0L25.0B100.0T30.5F50.0S") + "\x80\x80\r");
  EXPECT_EQ(status(), 0x80u);
  ups_->model().setMains(false);
  EXPECT_EQ(status(), 0x80u | 0x40 | 0x10) << "mains failure and beeping";
  ups_->model().forceBatteryLow(true);
  EXPECT_EQ(status() & 0x20, 0x20u);
  ups_->model().setMains(true);
  ups_->model().forceBatteryLow(false);
  ups_->model().startSelfTest(60000);
  EXPECT_EQ(status() & 0x08, 0x08u);
  ups_->model().cancelSelfTest();
  ups_->model().scheduleOutputOff(60000, 120000);
  EXPECT_EQ(status() & 0x06, 0x04u) << "waiting to sleep";
  clock_.advance(60000);
  EXPECT_EQ(status() & 0x06, 0x02u) << "waiting to wake up";
}

TEST_F(TextResponderTest, QueriesAnswerCommaSeparatedFields) {
  EXPECT_EQ(ask("P1\r"), "#230,265,184,20\r");
  EXPECT_EQ(ask("P2\r"), "#1000,700,230,45,55\r");
  EXPECT_EQ(ask("P3\r"), "#24.0,2,7.2,0\r");
  EXPECT_EQ(ask("P4\r"), "#KT-1000,2.14,TX50010,Norvane\r");
  EXPECT_EQ(ask("P5\r"), "#220,230,240\r");
  EXPECT_EQ(ask("P6\r"), "#253,257,261,265\r");
  EXPECT_EQ(ask("P7\r"), "#184,188,192,196\r");
  EXPECT_EQ(ask("P8\r"), "#10,20,30,40\r");
  // AVR, on-line, decimal numbers; auto restart and alarm on.
  EXPECT_EQ(ask("P9\r"), "#\xE0\x80\xB0\r");
  EXPECT_EQ(ask("P0\r"), "");
}

TEST_F(TextResponderTest, SettingsAreCheckedAgainstTheirLists) {
  EXPECT_EQ(ask("C4:05\r"), "#1\r") << "5 is not an allowed battery-low value";
  EXPECT_EQ(ask("C4:30\r"), "#0\r");
  EXPECT_EQ(ask("C2:257\r"), "#0\r");
  EXPECT_EQ(ask("C3:192\r"), "#0\r");
  EXPECT_EQ(ask("C1:240\r"), "#0\r");
  EXPECT_EQ(ask("P1\r"), "#240,257,192,30\r");
  EXPECT_EQ(ask("C6:0\r"), "#0\r");
  EXPECT_EQ(ask("C5:1\r"), "#0\r");
  EXPECT_EQ(ask("C7:2\r"), "#0\r") << "toggle";
  EXPECT_FALSE(ups_->model().alarmEnabled());
  EXPECT_EQ(ask("P9\r"), "#\xE0\x80\xC0\r");
  EXPECT_EQ(ask("C7:1\r"), "#0\r");
  EXPECT_TRUE(ups_->model().alarmEnabled());
  EXPECT_EQ(ask("C9:1\r"), "#1\r") << "no register 9";
  EXPECT_EQ(ask("C6:x\r"), "");
}

TEST_F(TextResponderTest, TestAndSleepCommandsFollowTheirTimeUnits) {
  EXPECT_EQ(ask("T.5\r"), "#0\r");
  EXPECT_TRUE(ups_->model().selfTestRunning());
  clock_.advance(30000);
  EXPECT_FALSE(ups_->model().selfTestRunning()) << "T.5 is 30 s";
  EXPECT_EQ(ask("T01\r"), "#0\r");
  clock_.advance(59999);
  EXPECT_TRUE(ups_->model().selfTestRunning());
  EXPECT_EQ(ask("CT\r"), "#0\r");
  EXPECT_FALSE(ups_->model().selfTestRunning());

  EXPECT_EQ(ask("S.2\r"), "#0\r");
  clock_.advance(11999);
  EXPECT_TRUE(ups_->model().outputOn());
  clock_.advance(1);
  EXPECT_FALSE(ups_->model().outputOn()) << "S.2 is 12 s";
  ups_->model().setOutput(true);

  EXPECT_EQ(ask("S01R0003\r"), "#0\r");
  clock_.advance(60000);
  EXPECT_FALSE(ups_->model().outputOn());
  clock_.advance(120000);
  EXPECT_TRUE(ups_->model().outputOn()) << "restore counts from the command";

  EXPECT_EQ(ask("S10\r"), "#0\r");
  EXPECT_EQ(ask("C\r"), "#0\r");
  clock_.advance(601000);
  EXPECT_TRUE(ups_->model().outputOn()) << "cancelled";
}

TEST_F(TextResponderTest, BinaryProbesAndNoiseGetNoAnswer) {
  EXPECT_EQ(ask("\r\r"), "");
  EXPECT_EQ(ask("F\r"), "");
  EXPECT_EQ(ask("D"), "");
  EXPECT_EQ(ask("\r").substr(0, 2), "#I") << "a command may arrive in pieces";
  std::vector<std::string> want = {"\\x0d", "\\x0d", "F\\x0d", "D\\x0d"};
  EXPECT_EQ(ups_->log().entries(), want);
}

TEST_F(TextResponderTest, ModelWithOtherMainsHasItsOwnSettings) {
  ASSERT_EQ(ups_->changeModel("KT-1500N"), RC_OK);
  EXPECT_EQ(ask("P1\r"), "#120,144,96,20\r");
  EXPECT_EQ(ask("C3:096\r"), "#0\r") << "zero-padded value";
  EXPECT_EQ(ask("D\r").substr(0, 7), "#I120.0");
}

TEST_F(TextResponderTest, HexModelWritesWholeNumbersInLowerCaseHex) {
  ASSERT_EQ(ups_->changeModel("KT-3000H"), RC_OK);
  ups_->model().setTemperature(30.5);
  EXPECT_EQ(ask("D\r"), std::string("#Ie6.0Oe6.0L19.0B64.0T1e.5F32.0S") + "\x80\x80\r");
  EXPECT_EQ(ask("P9\r"), "#\xE8\x80\xB0\r") << "bit 3 flags the hex numbers";
}

}  // namespace
}  // namespace gw
