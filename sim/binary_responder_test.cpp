// The binary protocol's answers, byte for byte, through the in-process media.
#include "sim/binary_responder.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "sim/raw_encoder.h"
#include "sim/sim_media.h"
#include "sim/sim_ups.h"
#include "testing/fake_clock.h"

namespace gw {
namespace {

std::string bytes(std::initializer_list<int> list) {
  std::string s;
  for (int b : list) s += static_cast<char>(b);
  return s;
}

class BinaryResponderTest : public ::testing::Test {
 protected:
  void SetUp() override { use("KD-9"); }

  void use(const std::string& model) {
    media_.reset();
    ASSERT_EQ(SimUps::create(clock_, UpsKind::kBinary, model, &ups_), RC_OK) << model;
    media_.reset(SimMedia::create(*ups_));
  }

  // Writes the command and returns every byte that came back.
  std::string ask(const std::string& command) {
    media_->write(reinterpret_cast<const uint8_t*>(command.data()),
                  static_cast<int>(command.size()));
    uint8_t buf[256];
    int n = media_->read(buf, -1);
    return std::string(reinterpret_cast<char*>(buf), static_cast<size_t>(n));
  }

  uint8_t statusByte() {
    std::string a = ask("D\r");
    EXPECT_EQ(a.size(), 14u);
    return a.size() == 14 ? static_cast<uint8_t>(a[9]) : 0;
  }

  FakeClock clock_;
  std::unique_ptr<SimUps> ups_;
  std::unique_ptr<SimMedia, MediaReleaser> media_;
};

TEST_F(BinaryResponderTest, StatusAnswerIsFramedWithComplements) {
  std::string a = ask("D\r");
  ASSERT_EQ(a.size(), 14u);
  EXPECT_EQ(a[0], '#');
  EXPECT_EQ(a[4], '.');
  EXPECT_EQ(a[8], '.');
  EXPECT_EQ(static_cast<uint8_t>(a[10]), static_cast<uint8_t>(~a[9]));
  EXPECT_EQ(static_cast<uint8_t>(a[12]), static_cast<uint8_t>(~a[11]));
  EXPECT_EQ(a[13], '\r');
}

// Every model's raw bytes, read back through the tables its driver chooses, give the readings.
TEST_F(BinaryResponderTest, RawBytesConvertBackToTheReadingsForEveryModel) {
  for (const std::string& name : upsProfileNames(UpsKind::kBinary)) {
    SCOPED_TRACE(name);
    use(name);
    UpsModel& m = ups_->model();
    m.setLoad(40);
    m.setCapacity(80);
    m.setTemperature(35);
    RawEncoder enc(m.profile());
    for (bool mains : {true, false}) {
      SCOPED_TRACE(mains ? "on mains" : "on battery");
      m.setMains(mains);
      std::string a = ask("D\r");
      ASSERT_EQ(a.size(), 14u);
      auto raw = [&](size_t i) { return static_cast<uint8_t>(a[i]); };
      double volts = mains ? m.profile().nominal_volts : 0;
      EXPECT_NEAR(RawEncoder::lookup(enc.voltsTable(), raw(1)), volts, 2.0);
      if (m.profile().family == 5 && mains) {
        EXPECT_NEAR(RawEncoder::lookup(enc.voltsTable(), raw(2)), volts, 2.0);
      }
      EXPECT_NEAR(RawEncoder::lookup(enc.loadTable(!mains), raw(3)), 4000, 200);
      EXPECT_NEAR(RawEncoder::lookup(enc.capacityTable(), raw(5)), m.capacity() * 100, 250);
      EXPECT_NEAR(RawEncoder::lookup(enc.temperatureTable(), raw(6)), 35, 1);
      EXPECT_NEAR(RawEncoder::lookup(enc.frequencyTable(), raw(7)),
                  m.profile().nominal_hz * 100, 30);
      EXPECT_EQ((raw(9) & 0x80) != 0, !mains);
    }
  }
}

TEST_F(BinaryResponderTest, IdentityMakerAndRegisters) {
  EXPECT_EQ(ask("F\r"), ".KD-9      ." + bytes({120}) + "." + bytes({60}) + ".3A10\r");
  std::string n = ask("N\r");
  ASSERT_EQ(n.size(), 22u);
  EXPECT_EQ(n, ".Norvane Systems Inc.\r");

  // Identity registers follow the model: KD-9 is line class 1 with AVR; KE-5 is class 3,
  // variant 3; KB-3 is class 2.
  EXPECT_EQ(ask("R" + bytes({41}) + "\r"), "R" + bytes({0}));
  EXPECT_EQ(ask("R" + bytes({61}) + "\r"), "R" + bytes({0x10}));
  use("KE-5");
  EXPECT_EQ(ask("R" + bytes({41}) + "\r"), "R" + bytes({16}));
  EXPECT_EQ(ask("R" + bytes({43}) + "\r"), "R" + bytes({255}));
  EXPECT_EQ(ask("R" + bytes({61}) + "\r"), "R" + bytes({0}));
  use("KB-3");
  EXPECT_EQ(ask("R" + bytes({41}) + "\r"), "R" + bytes({4}));

  // An alias answers its own name with the identity of the model it stands for.
  use("ro43");
  EXPECT_EQ(ask("F\r").substr(0, 11), ".ro43      ");
  EXPECT_EQ(ask("R" + bytes({61}) + "\r"), "R" + bytes({0x10}));
}

TEST_F(BinaryResponderTest, SettingWritesAreEchoedAndReadBackIdentityIsReadOnly) {
  EXPECT_EQ(ask("R" + bytes({2}) + "\r"), "R" + bytes({0})) << "factory default code";
  EXPECT_EQ(ask("Q" + bytes({2, 0xFD}) + "\r"), "Q" + bytes({2, 0xFD}));
  EXPECT_EQ(ask("R" + bytes({2}) + "\r"), "R" + bytes({0xFD}));
  EXPECT_EQ(ask("Q" + bytes({15, 0x13}) + "\r"), "Q" + bytes({15, 0x13}));
  EXPECT_EQ(ask("R" + bytes({15}) + "\r"), "R" + bytes({0x13}));
  EXPECT_EQ(ask("Q" + bytes({41, 16}) + "\r"), "Q" + bytes({41, 16}));
  EXPECT_EQ(ask("R" + bytes({41}) + "\r"), "R" + bytes({0})) << "line class is not writable";
}

TEST_F(BinaryResponderTest, CommandsCarryingCarriageReturnBytesAreFramedByLength) {
  // 13 ticks (0x0D) of self-test: 1703 ms.
  EXPECT_EQ(ask("T" + bytes({0x0D}) + "\r"), "T" + bytes({0x0D}));
  EXPECT_TRUE(ups_->model().selfTestRunning());
  EXPECT_EQ(statusByte() & 0x04, 0x04);
  EXPECT_EQ(statusByte() & 0x80, 0x80) << "KD-9's driver clears the failure flag in a test";
  clock_.advance(13 * 131);
  EXPECT_FALSE(ups_->model().selfTestRunning());

  // Sleep: off after 0x000D ticks, on again 0x00010D ticks after the command.
  EXPECT_EQ(ask("S" + bytes({0, 0x0D}) + "R" + bytes({0, 1, 0x0D}) + "\r"),
            "S" + bytes({0, 0x0D}) + "R" + bytes({0, 1, 0x0D}));
  EXPECT_EQ(statusByte() & 0x02, 0x02) << "waiting to sleep";
  clock_.advance(13 * 131);
  EXPECT_FALSE(ups_->model().outputOn());
  clock_.advance((269 - 13) * 131);
  EXPECT_TRUE(ups_->model().outputOn());

  EXPECT_EQ(ask("S" + bytes({0x01, 0x00}) + "W\r"), "S" + bytes({0x01, 0x00}) + "W");
  EXPECT_TRUE(ups_->model().waitingToSleep());
  EXPECT_EQ(ask("CS\r"), "CS\r\r\r\r\r");
  EXPECT_FALSE(ups_->model().waitingToSleep());

  EXPECT_EQ(ask("T" + bytes({0xFF}) + "\r"), "T" + bytes({0xFF}));
  EXPECT_EQ(ask("CT\r"), "CT");
  EXPECT_FALSE(ups_->model().selfTestRunning());

  EXPECT_EQ(ask("B\r"), "B");
  EXPECT_FALSE(ups_->model().alarmEnabled());
}

TEST_F(BinaryResponderTest, StatusFlags) {
  EXPECT_EQ(statusByte(), 0x00);
  ups_->model().setMains(false);
  EXPECT_EQ(statusByte(), 0x81) << "mains failure, beeping";
  ups_->model().forceBatteryLow(true);
  EXPECT_EQ(statusByte(), 0xC1);
  ups_->model().setMains(true);
  EXPECT_EQ(statusByte(), 0x40) << "battery low on mains";

  // Families whose driver treats a self-test as on battery by itself see no failure flag.
  use("KD-10");
  ups_->model().startSelfTest(5000);
  EXPECT_EQ(statusByte(), 0x05);
}

TEST_F(BinaryResponderTest, NoiseMalformedAndStaleCommandsAreRecordedNotAnswered) {
  EXPECT_EQ(ask("\r\r"), "") << "the driver's line clearing";
  EXPECT_EQ(ask("P4\r"), "") << "a text-protocol query";
  EXPECT_EQ(ask("Dx"), "") << "last byte not CR";
  EXPECT_EQ(ask("xyD\r").size(), 14u) << "noise before a command";

  // Half a command, then silence past the stale limit: dropped, so the next one is whole.
  std::string half = "Q" + bytes({2});
  media_->write(reinterpret_cast<const uint8_t*>(half.data()), 2);
  clock_.advance(Responder::kStaleMs + 1);
  EXPECT_EQ(ask("D\r").size(), 14u);

  std::vector<std::string> got = ups_->log().entries();
  std::vector<std::string> want = {"\\x0d", "\\x0d", "P4\\x0d", "Dx", "xy", "D\\x0d",
                                   "Q\\x02", "D\\x0d"};
  EXPECT_EQ(got, want);
}

TEST_F(BinaryResponderTest, PulledCableOrDeadUpsAnswersNothingAndDropsLines) {
  uint32_t lines = 0;
  ASSERT_TRUE(media_->getLineStatus(&lines));
  EXPECT_EQ(lines, LS_DSR | LS_CTS | LS_DCD);
  ups_->setCablePulled(true);
  EXPECT_EQ(ask("D\r"), "");
  ASSERT_TRUE(media_->getLineStatus(&lines));
  EXPECT_EQ(lines, 0u);
  EXPECT_TRUE(ups_->log().entries().empty()) << "nothing arrived";
  ups_->setCablePulled(false);
  EXPECT_EQ(ask("D\r").size(), 14u);

  ups_->model().setMains(false);
  ups_->model().setOutput(false);
  EXPECT_EQ(ask("D\r"), "");
}

}  // namespace
}  // namespace gw
