// Serial media: pacing and read rules on a scripted port (fake clock), then the same rules on a
// real pseudo-terminal (real clock).
#include "driver/media/serial_media.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <deque>
#include <thread>
#include <utility>
#include <vector>

#include "platform/posix/tty_serial_port.h"
#include "testing/fake_clock.h"
#include "testing/pty_pair.h"

namespace gw {
namespace {

// Reads replay scripted chunks (an empty chunk or the end of the script is a time-out); writes
// and line changes are logged with the clock's time.
class ScriptedPort final : public SerialPort {
 public:
  explicit ScriptedPort(FakeClock& clock) : clock_(clock) {}
  ResultCode configure(int baud) override { return setBaudRate(baud); }
  ResultCode setBaudRate(int baud) override {
    baud_ = baud;
    bauds.push_back(baud);
    return RC_OK;
  }
  int baudRate() const override { return baud_; }
  ResultCode read(void* buffer, size_t count, int timeout_ms, size_t* got) override {
    *got = 0;
    if (chunks.empty() || chunks.front().empty()) {
      if (!chunks.empty()) chunks.pop_front();
      clock_.advance(timeout_ms);
      return RC_OK;
    }
    std::string& c = chunks.front();
    *got = std::min(count, c.size());
    std::memcpy(buffer, c.data(), *got);
    c.erase(0, *got);
    if (c.empty()) chunks.pop_front();
    return RC_OK;
  }
  ResultCode write(const void* bytes, size_t count, size_t* written) override {
    if (static_cast<int>(writes.size()) == fail_write_at) return RC_LINE_FAILURE;
    for (size_t i = 0; i < count; ++i) {
      writes.push_back({clock_.nowMs(), static_cast<const char*>(bytes)[i], purges});
    }
    *written = count;
    return RC_OK;
  }
  void purge() override { ++purges; }
  ResultCode getModemLines(uint32_t*) override { return RC_LINE_FAILURE; }
  ResultCode setModemLines(uint32_t mask, bool on) override {
    if (mask & fail_lines) return RC_LINE_FAILURE;
    lines.emplace_back(mask, on);
    return RC_OK;
  }

  struct Write {
    int64_t at;
    char byte;
    int purges_before;
  };
  std::vector<Write> writes;
  std::vector<std::pair<uint32_t, bool>> lines;
  std::vector<int> bauds;
  std::deque<std::string> chunks;
  int purges = 0;
  int fail_write_at = -1;
  uint32_t fail_lines = 0;

 private:
  FakeClock& clock_;
  int baud_ = 0;
};

class SerialMediaLogicTest : public ::testing::Test {
 protected:
  void SetUp() override {
    media_ = SerialMedia::create(clock_, [this](int, std::unique_ptr<SerialPort>* port) {
      auto p = std::make_unique<ScriptedPort>(clock_);
      port_ = p.get();
      *port = std::move(p);
      return RC_OK;
    });
    ASSERT_TRUE(media_->open(3));
    port_->lines.clear();
    port_->bauds.clear();
  }
  FakeClock clock_;
  ScriptedPort* port_ = nullptr;
  MediaPtr media_;
};

TEST_F(SerialMediaLogicTest, WritePurgesFirstThenPacesBytesFiftyMsApart) {
  const uint8_t cmd[] = {'S', 0x01, 0xCA, 'R', '\r'};
  int64_t start = clock_.nowMs();
  EXPECT_EQ(media_->write(cmd, 5), 5);
  ASSERT_EQ(port_->writes.size(), 5u);
  for (size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(port_->writes[i].at, start + 50 * static_cast<int64_t>(i)) << "byte " << i;
    EXPECT_EQ(port_->writes[i].byte, static_cast<char>(cmd[i]));
    EXPECT_EQ(port_->writes[i].purges_before, 1) << "one purge, before the first byte";
  }
  EXPECT_EQ(clock_.nowMs() - start, 200) << "no pause after the last byte";

  port_->writes.clear();
  port_->fail_write_at = 2;
  EXPECT_EQ(media_->write(cmd, 5), 2) << "stops at the first failed byte";
}

TEST_F(SerialMediaLogicTest, ReadsStopAtCountOrAtTheFirstEmptyRead) {
  uint8_t buf[kMediaReadAllMax];
  port_->chunks = {"#ab", "c.", "", "late"};
  int64_t start = clock_.nowMs();
  EXPECT_EQ(media_->read(buf, 14), 5) << "a short answer ends at the time-out";
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), 5), "#abc.");
  EXPECT_EQ(clock_.nowMs() - start, 120) << "one 120 ms wait for the byte that never came";

  port_->chunks = {"0123456789"};
  EXPECT_EQ(media_->read(buf, 4), 4) << "no more than asked";
  EXPECT_EQ(media_->read(buf, 6), 6) << "the rest stays for the next read";

  port_->chunks = {std::string(100, 'x'), std::string(100, 'y')};
  EXPECT_EQ(media_->read(buf, -1), kMediaReadAllMax) << "whatever arrives, at most 128";
}

TEST_F(SerialMediaLogicTest, LinesAreDrivenInOrderAndRefusedMasksTouchNothing) {
  for (uint32_t bit = 1; bit <= 0x100; bit <<= 1) {
    if (bit & kRefusedLineMask) {
      EXPECT_FALSE(media_->setLines(bit | LC_DTR, true)) << "bit 0x" << std::hex << bit;
    }
  }
  EXPECT_TRUE(port_->lines.empty()) << "a refused mask must change nothing";

  EXPECT_TRUE(media_->setLines(LC_BREAK | LC_RTS | LC_DTR, true));
  using Lines = std::vector<std::pair<uint32_t, bool>>;
  EXPECT_EQ(port_->lines, (Lines{{LC_DTR, true}, {LC_RTS, true}, {LC_BREAK, true}}));
  port_->lines.clear();
  port_->fail_lines = LC_RTS;
  EXPECT_FALSE(media_->setLines(LC_BREAK | LC_RTS | LC_DTR, false));
  EXPECT_EQ(port_->lines, (Lines{{LC_DTR, false}})) << "break untouched after RTS failed";
  EXPECT_TRUE(media_->setBaudRate(1200));
  EXPECT_TRUE(port_->bauds.empty()) << "the rate in force is not set again";
}

int64_t steadyMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

class SerialMediaPtyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty_.ok());
    std::string path = pty_.slavePath();
    media_ = SerialMedia::create(systemClock(), [path](int, std::unique_ptr<SerialPort>* port) {
      return openSerialPort(path, port);
    });
    ASSERT_TRUE(media_->open(1));
  }
  PtyPair pty_;
  MediaPtr media_;
};

TEST_F(SerialMediaPtyTest, BytesLeaveFiftyMsApart) {
  const uint8_t cmd[] = {'D', '\r', 'F'};
  std::vector<std::pair<int64_t, char>> seen;
  std::thread far_end([&] {
    int64_t until = steadyMs() + 3000;
    while (seen.size() < 3 && steadyMs() < until) {
      for (char c : pty_.receive(100)) seen.emplace_back(steadyMs(), c);
    }
  });
  int64_t start = steadyMs();
  EXPECT_EQ(media_->write(cmd, 3), 3);
  int64_t took = steadyMs() - start;
  far_end.join();
  EXPECT_GE(took, 95) << "two pauses of 50 ms";
  EXPECT_LT(took, 1000);
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(std::string({seen[0].second, seen[1].second, seen[2].second}), "D\rF");
  EXPECT_GE(seen[1].first - seen[0].first, 40) << "the far end sees the gap";
  EXPECT_GE(seen[2].first - seen[1].first, 40);
}

TEST_F(SerialMediaPtyTest, ReadAllReturnsOnceTheLineIsQuiet) {
  uint8_t buf[kMediaReadAllMax];
  int64_t start = steadyMs();
  EXPECT_EQ(media_->read(buf, -1), 0);
  int64_t silent = steadyMs() - start;
  EXPECT_GE(silent, 110);
  EXPECT_LT(silent, 1000);

  // Pieces 60 ms apart belong to one answer; the read ends about 120 ms after the last one.
  std::thread far_end([&] {
    for (const char* piece : {"#I230.5", "O229.0", "S\x81\x84\r"}) {
      pty_.send(piece);
      ::usleep(60 * 1000);
    }
  });
  start = steadyMs();
  int n = media_->read(buf, -1);
  int64_t took = steadyMs() - start;
  far_end.join();
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), static_cast<size_t>(n)),
            "#I230.5O229.0S\x81\x84\r");
  EXPECT_GE(took, 120 + 110);
  EXPECT_LT(took, 2000);
}

TEST_F(SerialMediaPtyTest, LineSettingsOnAPseudoTerminal) {
  auto* port = static_cast<posix::TtySerialPort*>(static_cast<SerialMedia&>(*media_).port());
  EXPECT_EQ(port->drivenLines(), LC_DTR) << "open leaves DTR on and RTS off";
  EXPECT_EQ(port->baudRate(), 1200);
  EXPECT_TRUE(media_->setBaudRate(2400));
  EXPECT_EQ(port->baudRate(), 2400);

  EXPECT_FALSE(media_->setLines(0x01, true));
  EXPECT_FALSE(media_->setLines(LC_RTS | 0x100, true));
  EXPECT_EQ(port->drivenLines(), LC_DTR) << "refused masks change nothing";
  EXPECT_TRUE(media_->setLines(LC_RTS | LC_BREAK, true));
  EXPECT_TRUE(media_->setLines(LC_BREAK | LC_DTR, false));
  EXPECT_EQ(port->drivenLines(), LC_RTS);
  uint32_t status = 0;
  ASSERT_TRUE(media_->getLineStatus(&status));
  EXPECT_EQ(status, static_cast<uint32_t>(LS_DCD | LS_DSR | LS_CTS)) << "a UPS is attached";
}

}  // namespace
}  // namespace gw
