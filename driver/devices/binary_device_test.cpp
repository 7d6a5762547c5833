// The binary-protocol device against a scripted UPS.
#include "driver/devices/binary_device.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "common/result_code.h"
#include "testing/binary_ups_script.h"
#include "testing/fake_clock.h"
#include "testing/fake_media.h"

namespace gw {
namespace {

class BinaryDeviceTest : public ::testing::Test {
 protected:
  BinaryDeviceTest() : media_(3, kMediaSerial, &clock_) {}

  // A KB-1 (family 2) on line class 1 unless the test scripts otherwise.
  BinaryDevice& build(std::string_view model = "KB-1", int line_raw = 0, int variant_raw = 0,
                      int avr_raw = 0) {
    scriptBinaryUps(media_, model, line_raw, variant_raw, avr_raw);
    device_ = std::make_unique<BinaryDevice>(media_, clock_);
    media_.clearWrites();
    return *device_;
  }

  std::string text(int element) {
    char buffer[64];
    size_t size = sizeof(buffer);
    const ResultCode rc = device_->getText(element, buffer, &size);
    return rc == RC_OK ? std::string(buffer) : "error " + std::to_string(rc);
  }

  int32_t status(int n) {
    int32_t v = -1;
    EXPECT_EQ(device_->getStatus(n, &v), RC_OK) << "S" << n;
    return v;
  }

  FakeClock clock_;
  FakeMedia media_;
  std::unique_ptr<BinaryDevice> device_;
};

TEST_F(BinaryDeviceTest, ConstructionSetsTheLineAndClearsIt) {
  scriptBinaryUps(media_, "KB-1");
  BinaryDevice device(media_, clock_);
  EXPECT_EQ(media_.baudRate(), 1200);
  EXPECT_EQ(media_.outputs() & (LC_DTR | LC_RTS), LC_DTR);
  ASSERT_EQ(media_.writes().size(), 1u);
  EXPECT_EQ(media_.writes()[0], "\r\r");
  const int expected[][2] = {{21, 1200}, {22, 2}, {23, kMediaSerial}, {24, 3}};
  for (const auto& e : expected) {
    int32_t v = 0;
    EXPECT_EQ(device.getNumber(e[0], &v), RC_OK) << e[0];
    EXPECT_EQ(v, e[1]) << e[0];
  }
  int32_t v = 0;
  EXPECT_EQ(device.getStatus(12, &v), RC_OK);
  EXPECT_EQ(v, 1) << "connected from construction on";
  EXPECT_EQ(device.getStatus(0, &v), RC_NOT_AVAILABLE) << "nothing polled yet";
  EXPECT_EQ(device.getStatus(14, &v), RC_UNSUPPORTED);
}

TEST_F(BinaryDeviceTest, CommandBytesAndLimits) {
  build();
  for (const char* answer : {"CT", "CS"}) media_.answerAlways(std::string(answer) + "\r", "OK");
  struct Row {
    const char* what;
    std::function<ResultCode(Device&)> run;
    ResultCode rc;
    std::string sent;  // empty: nothing may be sent
  };
  const Row rows[] = {
      {"C0 40 s is 305 ticks, limited", [](Device& d) { return d.selfTest(40); }, RC_OK,
       byteString({'T', 0xFF, '\r'})},
      {"C0 10 s", [](Device& d) { return d.selfTest(10); }, RC_OK, byteString({'T', 76, '\r'})},
      {"C0 cancel", [](Device& d) { return d.selfTest(-1); }, RC_OK, "CT\r"},
      {"C0 negative", [](Device& d) { return d.selfTest(-2); }, RC_BAD_VALUE, ""},
      {"C1 60 120", [](Device& d) { return d.sleep(60, 120); }, RC_OK,
       byteString({'S', 0x01, 0xCA, 'R', 0x00, 0x05, 0x5E, '\r'})},
      {"C1 8585 is the longest delay", [](Device& d) { return d.sleep(8585, 0); }, RC_OK,
       byteString({'S', 0xFF, 0xFE, 'R', 0x00, 0xFF, 0xFE, '\r'})},
      {"C1 8586", [](Device& d) { return d.sleep(8586, 0); }, RC_BAD_VALUE, ""},
      {"C1 total 2197815", [](Device& d) { return d.sleep(0, 2197815); }, RC_OK,
       byteString({'S', 0, 0, 'R', 0xFF, 0xFF, 0xFD, '\r'})},
      {"C1 total 2197816", [](Device& d) { return d.sleep(1, 2197815); }, RC_BAD_VALUE, ""},
      {"C1 cancel", [](Device& d) { return d.sleep(-1, -1); }, RC_OK, "CS\r"},
      {"C1 half cancel", [](Device& d) { return d.sleep(-1, 5); }, RC_BAD_VALUE, ""},
      {"C2 120", [](Device& d) { return d.shutdown(120); }, RC_OK,
       byteString({'S', 0x03, 0x94, 'W', '\r'})},
      {"C2 8586", [](Device& d) { return d.shutdown(8586); }, RC_BAD_VALUE, ""},
      {"C2 cancel", [](Device& d) { return d.shutdown(-1); }, RC_OK, "CS\r"},
      {"C3", [](Device& d) { return d.toggleBuzzer(); }, RC_OK, "B\r"},
  };
  // Every fixed-length command gets an answer of its length.
  media_.answerAlways(byteString({'T', 0xFF, '\r'}), "T\r");
  media_.answerAlways(byteString({'T', 76, '\r'}), "T\r");
  media_.answerAlways(byteString({'S', 0x01, 0xCA, 'R', 0x00, 0x05, 0x5E, '\r'}), "1234567");
  media_.answerAlways(byteString({'S', 0xFF, 0xFE, 'R', 0x00, 0xFF, 0xFE, '\r'}), "1234567");
  media_.answerAlways(byteString({'S', 0, 0, 'R', 0xFF, 0xFF, 0xFD, '\r'}), "1234567");
  media_.answerAlways(byteString({'S', 0x03, 0x94, 'W', '\r'}), "1234");
  media_.answerAlways("B\r", "B");
  for (const Row& row : rows) {
    media_.clearWrites();
    EXPECT_EQ(row.run(*device_), row.rc) << row.what;
    if (row.sent.empty()) {
      EXPECT_TRUE(media_.writes().empty()) << row.what << ": sent something";
    } else {
      ASSERT_EQ(media_.writes().size(), 1u) << row.what << ": one attempt only";
      EXPECT_EQ(media_.writes()[0], row.sent) << row.what;
    }
  }
  EXPECT_EQ(BinaryDevice::ticks(131), 1000) << "exact tick counts are not lost to rounding";
}

TEST_F(BinaryDeviceTest, UnansweredCommandsReportTheLine) {
  build();
  media_.setLineStatus(LS_DSR);
  EXPECT_EQ(device_->toggleBuzzer(), RC_SHORT_REPLY);
  EXPECT_EQ(device_->selfTest(-1), RC_SHORT_REPLY) << "a cancel must be answered too";
  media_.setLineStatus(0);
  EXPECT_EQ(device_->toggleBuzzer(), RC_NO_DEVICE);
  media_.setLineStatus(LS_DSR);
  media_.limitWrites(1);
  EXPECT_EQ(device_->toggleBuzzer(), RC_SHORT_WRITE);
}

TEST_F(BinaryDeviceTest, IdentityFillsModelFirmwareAndRatings) {
  build("KD-9");
  media_.answerAlways("F\r", identityAnswer("KD-9", 120, 60, "3105"));
  EXPECT_EQ(text(12), "KD-9");
  EXPECT_EQ(text(13), "3.105");
  int32_t v = 0;
  EXPECT_EQ(device_->getNumber(16, &v), RC_OK);
  EXPECT_EQ(v, 120);
  EXPECT_EQ(device_->getNumber(17, &v), RC_OK);
  EXPECT_EQ(v, 60);
  EXPECT_EQ(device_->getNumber(33, &v), RC_OK);
  EXPECT_EQ(v, 24);
  EXPECT_EQ(device_->getNumber(34, &v), RC_OK);
  EXPECT_EQ(v, 4);
  const size_t identity_reads = std::count(media_.writes().begin(), media_.writes().end(), "F\r");
  EXPECT_EQ(identity_reads, 1u) << "held values are answered without an exchange";
  EXPECT_EQ(device_->getNumber(19, &v), RC_NOT_AVAILABLE);
  EXPECT_EQ(device_->getText(14, nullptr, nullptr), RC_NOT_AVAILABLE);
  size_t size = 0;
  EXPECT_EQ(device_->getText(12, nullptr, &size), RC_BUFFER_TOO_SMALL);
  EXPECT_EQ(size, 5u);
}

TEST_F(BinaryDeviceTest, IdentityFailures) {
  build("ro44");
  EXPECT_EQ(text(12), "error 10") << "an unknown alias number fails identification";
  EXPECT_FALSE(media_.writes().empty());
  build("ro43");
  EXPECT_EQ(text(12), "KD-9");

  build("KB-1");
  media_.answerAlways("F\r", ".KB-1      .x.y.1234\n");
  const int64_t before = clock_.slept();
  EXPECT_EQ(text(12), "error 9");
  EXPECT_EQ(std::count(media_.writes().begin(), media_.writes().end(), "F\r"), 3);
  EXPECT_EQ(clock_.slept() - before, 200);

  build("KB-1");
  media_.forget("F\r");
  media_.setLineStatus(0);
  EXPECT_EQ(text(12), "error 8") << "silence with DSR down: no UPS, at the first attempt";
  EXPECT_EQ(media_.writes().size(), 1u);
  int32_t v = 0;
  EXPECT_EQ(device_->getStatus(12, &v), RC_OK);
  EXPECT_EQ(v, 0);
  EXPECT_EQ(device_->poll(), RC_NO_DEVICE);
  EXPECT_EQ(media_.writes().size(), 1u) << "a disconnected UPS is not polled";
}

TEST_F(BinaryDeviceTest, CompanyIsFetchedOnDemand) {
  build();
  media_.answerAlways("N\r", ".Acme Power Co.      \r");
  EXPECT_EQ(text(15), "Acme Power Co.      ");
  media_.answerAlways("N\r", ".short\r");
  build();
  EXPECT_EQ(text(15), "error 7");
}

TEST_F(BinaryDeviceTest, PollConvertsTheStatusAnswer) {
  // KA-1 on class 1: V-a, P-b, C-a, T-a, F-a.
  build("KA-1");
  media_.answer("D\r", statusAnswer(98, 98, 33, 197, 136, 219, 0x01));
  ASSERT_EQ(device_->poll(), RC_OK);
  EXPECT_EQ(status(0), 9500);
  EXPECT_EQ(status(1), 9500);
  EXPECT_EQ(status(2), 10000);
  EXPECT_EQ(status(3), 10000);
  EXPECT_EQ(status(4), 3000);
  EXPECT_EQ(status(5), 5000);
  EXPECT_EQ(status(7), 0);
  EXPECT_EQ(status(13), 1);
  EXPECT_EQ(status(12), 1);
  EXPECT_GT(status(6), 0);
}

TEST_F(BinaryDeviceTest, BadComplementsAreRetriedThenFail) {
  build();
  media_.answerAlways("D\r", statusAnswer(98, 98, 33, 197, 136, 219, 0x00, true));
  const int64_t before = clock_.slept();
  EXPECT_EQ(device_->poll(), RC_BAD_REPLY);
  EXPECT_EQ(std::count(media_.writes().begin(), media_.writes().end(), "D\r"), 3);
  EXPECT_EQ(clock_.slept() - before, 200) << "100 ms before each repeated attempt";
  int32_t v = 0;
  EXPECT_EQ(device_->getStatus(0, &v), RC_NOT_AVAILABLE) << "nothing taken from a bad answer";

  media_.clearWrites();
  media_.answer("D\r", statusAnswer(98, 98, 33, 197, 136, 219, 0x00, true));
  media_.answer("D\r", std::string("#") + statusAnswer(98, 98, 33, 197, 136, 219, 0).substr(2));
  media_.answer("D\r", statusAnswer(98, 98, 33, 197, 136, 219, 0x00));
  EXPECT_EQ(device_->poll(), RC_OK) << "the third attempt is good";
  EXPECT_EQ(status(0), 9500);
}

TEST_F(BinaryDeviceTest, SelfTestOnAFamilyTwoModel) {
  build("KB-1");
  media_.answerAlways(registerRead(24), registerAnswer(0x00));  // BATOUT code 0: 120 V (O-a)
  media_.answer("D\r", statusAnswer(98, 98, 33, 197, 136, 219, 0x84));
  ASSERT_EQ(device_->poll(), RC_OK);
  EXPECT_EQ(status(7), 0) << "the power-failure flag of a self-test is cleared";
  EXPECT_EQ(status(9), 1);
  EXPECT_EQ(status(1), 12000) << "on battery the output is the BATOUT setting";
  EXPECT_EQ(status(3), 20000 * 33 / 88) << "with the on-battery load table";
}

TEST_F(BinaryDeviceTest, CalibrationFillsRangesAndDefaults) {
  // Line class 3 (raw 16), family 5, variant 0.
  build("KE-1", 16, 0);
  EXPECT_EQ(text(8), "270,272,274,276,278,280");
  EXPECT_EQ(text(9), "165,167,169,171,173,175");
  EXPECT_EQ(text(11), "220,230,240");
  int32_t v = 0;
  EXPECT_EQ(device_->getSetting(0, 1, &v), RC_OK);
  EXPECT_EQ(v, 280);
  EXPECT_EQ(device_->getSetting(3, 1, &v), RC_OK);
  EXPECT_EQ(v, 230);
  EXPECT_EQ(device_->getSetting(4, 1, &v), RC_OK);
  EXPECT_EQ(v, 1);
  EXPECT_EQ(device_->getSetting(6, 1, &v), RC_OK);
  EXPECT_EQ(v, 0);
  EXPECT_EQ(device_->getSetting(7, 0, &v), RC_UNSUPPORTED);

  build("KE-1", 0x55);
  EXPECT_EQ(text(8), "error 10") << "an unknown line class";
}

TEST_F(BinaryDeviceTest, RegisterReadsAndWrites) {
  build("KA-1");  // class 1 family 1: INPUTHI H-a
  media_.answerAlways(registerRead(2), registerAnswer(0x00));
  int32_t v = 0;
  ASSERT_EQ(device_->getSetting(0, 0, &v), RC_OK);
  EXPECT_EQ(v, 136);
  media_.clearWrites();
  ASSERT_EQ(device_->getSetting(0, 0, &v), RC_OK);
  EXPECT_TRUE(media_.writes().empty()) << "a held value needs no exchange";

  EXPECT_EQ(device_->setSetting(0, 136), RC_OK);
  EXPECT_TRUE(media_.writes().empty()) << "an unchanged value is not sent";
  EXPECT_EQ(device_->setSetting(0, 150), RC_NO_TABLE_ENTRY);
  EXPECT_TRUE(media_.writes().empty()) << "a value not in the table is not sent";

  const std::string q = byteString({'Q', 2, 0xFD, '\r'});
  media_.answerAlways(q, q.substr(0, 3));
  EXPECT_EQ(device_->setSetting(0, 133), RC_OK);
  EXPECT_EQ(media_.lastWrite(), q);
  ASSERT_EQ(device_->getSetting(0, 0, &v), RC_OK);
  EXPECT_EQ(v, 133);

  media_.clearWrites();
  media_.answerAlways(byteString({'Q', 2, 0x05, '\r'}), "Q?!");
  EXPECT_EQ(device_->setSetting(0, 141), RC_BAD_REPLY);
  EXPECT_EQ(media_.writes().size(), 2u) << "two attempts";
  ASSERT_EQ(device_->getSetting(0, 0, &v), RC_OK);
  EXPECT_EQ(v, 133) << "the value read is restored";

  media_.answerAlways(registerRead(8), registerAnswer(0x09));  // not a B-a code
  EXPECT_EQ(device_->getSetting(2, 0, &v), RC_NO_TABLE_ENTRY);
  media_.answerAlways(registerRead(8), "Xx");
  EXPECT_EQ(device_->getSetting(2, 0, &v), RC_BAD_REPLY);
}

TEST_F(BinaryDeviceTest, SharedFlagsRegisterKeepsTheOtherBits) {
  build("KA-1");
  media_.answerAlways(registerRead(15), registerAnswer(0xE2));  // restart on, cold start on
  int32_t v = 0;
  ASSERT_EQ(device_->getSetting(5, 0, &v), RC_OK);
  EXPECT_EQ(v, 1);
  media_.clearWrites();
  ASSERT_EQ(device_->getSetting(4, 0, &v), RC_OK);
  EXPECT_EQ(v, 1);
  EXPECT_TRUE(media_.writes().empty()) << "one read fills all three";
  const std::string q1 = byteString({'Q', 15, 0xF2, '\r'});
  media_.answerAlways(q1, q1.substr(0, 3));
  EXPECT_EQ(device_->setSetting(6, 1), RC_OK);
  EXPECT_EQ(media_.lastWrite(), q1);
  const std::string q2 = byteString({'Q', 15, 0xF3, '\r'});
  media_.answerAlways(q2, q2.substr(0, 3));
  EXPECT_EQ(device_->setSetting(4, 0), RC_OK);
  EXPECT_EQ(media_.lastWrite(), q2) << "builds on the byte just written";
  EXPECT_EQ(device_->setSetting(5, 7), RC_BAD_VALUE);
}

}  // namespace
}  // namespace gw
