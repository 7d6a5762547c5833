// Serial media: its timing and line rules on a scripted port (fake clock) and on a real
// pseudo-terminal (real clock).
#include "driver/media/serial_media.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <deque>
#include <thread>
#include <utility>
#include <vector>

#include "platform/clock.h"
#include "testing/fake_clock.h"
#include "testing/pty_pair.h"

namespace gw {
namespace {

// A port whose reads replay scripted chunks; an empty chunk is a read that times out.
class ScriptedPort final : public SerialPort {
 public:
  struct Log {
    std::vector<std::pair<int64_t, uint8_t>> writes;  // clock time, byte
    std::vector<std::pair<uint32_t, bool>> lines;
    std::vector<int> bauds;
    int purges = 0;
    int purges_before_first_write = -1;
  };

  ScriptedPort(FakeClock& clock, Log& log) : clock_(clock), log_(log) {}

  ResultCode configure(int baud) override {
    if (fail_configure) return RC_LINE_FAILURE;
    baud_ = baud;
    log_.bauds.push_back(baud);
    return RC_OK;
  }
  ResultCode setBaudRate(int baud) override { return configure(baud); }
  int baudRate() const override { return baud_; }
  ResultCode read(void* buffer, size_t count, int timeout_ms, size_t* got) override {
    if (chunks.empty() || chunks.front().empty()) {
      if (!chunks.empty()) chunks.pop_front();
      clock_.advance(timeout_ms);
      *got = 0;
      return RC_OK;
    }
    std::string& c = chunks.front();
    size_t n = std::min(count, c.size());
    std::memcpy(buffer, c.data(), n);
    c.erase(0, n);
    if (c.empty()) chunks.pop_front();
    *got = n;
    return RC_OK;
  }
  ResultCode write(const void* bytes, size_t count, size_t* written) override {
    if (log_.purges_before_first_write < 0) log_.purges_before_first_write = log_.purges;
    if (static_cast<int>(log_.writes.size()) == fail_write_at) return RC_LINE_FAILURE;
    for (size_t i = 0; i < count; ++i) {
      log_.writes.emplace_back(clock_.nowMs(), static_cast<const uint8_t*>(bytes)[i]);
    }
    *written = count;
    return RC_OK;
  }
  void purge() override { ++log_.purges; }
  ResultCode getModemLines(uint32_t* signals) override {
    *signals = modem_in;
    return RC_OK;
  }
  ResultCode setModemLines(uint32_t mask, bool on) override {
    if (mask & fail_lines) return RC_LINE_FAILURE;
    log_.lines.emplace_back(mask, on);
    return RC_OK;
  }

  std::deque<std::string> chunks;
  uint32_t modem_in = 0;
  uint32_t fail_lines = 0;
  int fail_write_at = -1;
  bool fail_configure = false;

 private:
  FakeClock& clock_;
  Log& log_;
  int baud_ = 0;
};

class SerialMediaLogicTest : public ::testing::Test {
 protected:
  void SetUp() override {
    media_ = SerialMedia::create(clock_, [this](int n, std::unique_ptr<SerialPort>* port) {
      opened_.push_back(n);
      if (refuse_open_) return RC_NOT_AVAILABLE;
      auto p = std::make_unique<ScriptedPort>(clock_, log_);
      p->fail_configure = fail_configure_;
      port_ = p.get();
      *port = std::move(p);
      return RC_OK;
    });
  }
  void openIt() {
    ASSERT_TRUE(media_->open(3));
    log_ = ScriptedPort::Log{};
  }

  FakeClock clock_;
  ScriptedPort::Log log_;
  ScriptedPort* port_ = nullptr;
  std::vector<int> opened_;
  bool refuse_open_ = false;
  bool fail_configure_ = false;
  MediaPtr media_;
};

TEST_F(SerialMediaLogicTest, OpenSetsTheLineAndFailsCleanly) {
  refuse_open_ = true;
  EXPECT_FALSE(media_->open(2));
  EXPECT_EQ(static_cast<SerialMedia&>(*media_).port(), nullptr) << "no port held after failure";

  refuse_open_ = false;
  ASSERT_TRUE(media_->open(3));
  EXPECT_EQ(opened_, (std::vector<int>{2, 3}));
  EXPECT_EQ(media_->index(), 3);
  EXPECT_EQ(media_->mediaType(), kMediaSerial);
  EXPECT_EQ(log_.bauds, (std::vector<int>{1200}));
  EXPECT_EQ(log_.lines, (std::vector<std::pair<uint32_t, bool>>{{kModemDtr, true},
                                                                 {kModemRts, false}}))
      << "DTR on, RTS off";
  EXPECT_FALSE(media_->open(3)) << "a media opens once";

  MediaPtr other = SerialMedia::create(clock_, [this](int, std::unique_ptr<SerialPort>* port) {
    auto p = std::make_unique<ScriptedPort>(clock_, log_);
    p->fail_configure = true;
    *port = std::move(p);
    return RC_OK;
  });
  EXPECT_FALSE(other->open(1));
  EXPECT_NE(static_cast<SerialMedia&>(*other).port(), nullptr)
      << "after a failed setting the port stays held until release";
}

TEST_F(SerialMediaLogicTest, WritePurgesFirstThenPacesBytesFiftyMsApart) {
  openIt();
  const uint8_t cmd[] = {'S', 0x01, 0xCA, 'R', '\r'};
  int64_t start = clock_.nowMs();
  EXPECT_EQ(media_->write(cmd, 5), 5);
  EXPECT_EQ(log_.purges_before_first_write, 1) << "purge must come before the first byte";
  ASSERT_EQ(log_.writes.size(), 5u);
  for (size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(log_.writes[i].first, start + 50 * static_cast<int64_t>(i)) << "byte " << i;
    EXPECT_EQ(log_.writes[i].second, cmd[i]);
  }
  EXPECT_EQ(clock_.nowMs() - start, 200) << "no pause after the last byte";

  log_ = ScriptedPort::Log{};
  port_->fail_write_at = 2;
  EXPECT_EQ(media_->write(cmd, 5), 2) << "stops at the first failed byte";
  EXPECT_EQ(media_->write(cmd, 0), 0);
}

TEST_F(SerialMediaLogicTest, ReadsStopAtCountOrAtTheFirstEmptyRead) {
  openIt();
  uint8_t buf[kMediaReadAllMax];
  port_->chunks = {"#ab", "c.", "", "late"};
  int64_t start = clock_.nowMs();
  EXPECT_EQ(media_->read(buf, 14), 5) << "a short answer ends at the time-out";
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), 5), "#abc.");
  EXPECT_EQ(clock_.nowMs() - start, 120) << "one 120 ms wait for the byte that never came";

  port_->chunks = {"0123456789"};
  EXPECT_EQ(media_->read(buf, 4), 4) << "no more than asked";
  EXPECT_EQ(media_->read(buf, 6), 6) << "the rest stays for the next read";
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), 6), "456789");

  port_->chunks = {"#I230", "O229", "L045\r", ""};
  EXPECT_EQ(media_->read(buf, -1), 14);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), 14), "#I230O229L045\r");

  port_->chunks = {std::string(100, 'x'), std::string(100, 'y')};
  EXPECT_EQ(media_->read(buf, -1), kMediaReadAllMax) << "whatever arrives, at most 128";

  port_->chunks = {};
  start = clock_.nowMs();
  EXPECT_EQ(media_->read(buf, -1), 0);
  EXPECT_EQ(clock_.nowMs() - start, 120);
}

TEST_F(SerialMediaLogicTest, LinesAreDrivenInOrderAndRefusedMasksTouchNothing) {
  openIt();
  for (uint32_t bit = 1; bit <= 0x100; bit <<= 1) {
    if (bit & kRefusedLineMask) {
      EXPECT_FALSE(media_->setLines(bit | LC_DTR, true)) << "bit 0x" << std::hex << bit;
    }
  }
  EXPECT_TRUE(log_.lines.empty()) << "a refused mask must change nothing";

  EXPECT_TRUE(media_->setLines(LC_BREAK | LC_RTS | LC_DTR, true));
  EXPECT_EQ(log_.lines, (std::vector<std::pair<uint32_t, bool>>{
                            {kModemDtr, true}, {kModemRts, true}, {kModemBreak, true}}));
  log_.lines.clear();
  port_->fail_lines = kModemRts;
  EXPECT_FALSE(media_->setLines(LC_BREAK | LC_RTS | LC_DTR, false));
  EXPECT_EQ(log_.lines, (std::vector<std::pair<uint32_t, bool>>{{kModemDtr, false}}))
      << "break is not touched after RTS failed";

  port_->modem_in = kModemDsr | kModemRing;
  uint32_t status = 0;
  ASSERT_TRUE(media_->getLineStatus(&status));
  EXPECT_EQ(status, static_cast<uint32_t>(LS_DSR | LS_RING));

  EXPECT_TRUE(media_->setBaudRate(1200));
  EXPECT_TRUE(log_.bauds.empty()) << "the rate in force is not set again";
  EXPECT_TRUE(media_->setBaudRate(2400));
  EXPECT_EQ(log_.bauds, (std::vector<int>{2400}));
}

TEST(SerialMediaClosedTest, EveryOperationFailsWithoutAPort) {
  FakeClock clock;
  MediaPtr media = SerialMedia::create(clock, nullptr);
  EXPECT_FALSE(media->open(1));
  uint8_t b[kMediaReadAllMax] = {'D'};
  uint32_t flags = 0;
  EXPECT_EQ(media->write(b, 1), 0);
  EXPECT_EQ(media->read(b, -1), 0);
  EXPECT_FALSE(media->setBaudRate(1200));
  EXPECT_FALSE(media->getLineStatus(&flags));
  EXPECT_FALSE(media->setLines(LC_DTR, true));
}

TEST(ComPortPathTest, EnvironmentOverridesTheDefaultDevice) {
  EXPECT_EQ(comPortPath(0), "");
  EXPECT_EQ(comPortPath(-3), "");
  ::unsetenv("GRIDWATCH_COM97");
  EXPECT_EQ(comPortPath(97), "/dev/ttyS96");
  ::setenv("GRIDWATCH_COM97", "/tmp/gw-no-such-port", 1);
  EXPECT_EQ(comPortPath(97), "/tmp/gw-no-such-port");
  std::unique_ptr<SerialPort> port;
  EXPECT_EQ(openComPort(97, &port), RC_NOT_AVAILABLE);
  ::setenv("GRIDWATCH_COM97", "", 1);
  EXPECT_EQ(comPortPath(97), "/dev/ttyS96") << "an empty value counts as unset";
  ::unsetenv("GRIDWATCH_COM97");
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
      std::string got = pty_.receive(100);
      for (char c : got) seen.emplace_back(steadyMs(), c);
    }
  });
  int64_t start = steadyMs();
  EXPECT_EQ(media_->write(cmd, 3), 3);
  int64_t took = steadyMs() - start;
  far_end.join();
  EXPECT_GE(took, 95) << "two pauses of 50 ms";
  EXPECT_LT(took, 1000);
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0].second, 'D');
  EXPECT_EQ(seen[1].second, '\r');
  EXPECT_EQ(seen[2].second, 'F');
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

TEST_F(SerialMediaPtyTest, LinesAndRateOnAPseudoTerminal) {
  EXPECT_FALSE(media_->setLines(0x01, true));
  EXPECT_FALSE(media_->setLines(LC_DTR | 0x100, true));
  EXPECT_TRUE(media_->setLines(LC_DTR | LC_RTS | LC_BREAK, true));
  EXPECT_TRUE(media_->setLines(LC_BREAK, false));
  uint32_t status = 0;
  ASSERT_TRUE(media_->getLineStatus(&status));
  EXPECT_EQ(status, static_cast<uint32_t>(LS_DCD | LS_DSR | LS_CTS)) << "a UPS is attached";

  SerialPort* port = static_cast<SerialMedia&>(*media_).port();
  EXPECT_EQ(port->baudRate(), 1200);
  EXPECT_TRUE(media_->setBaudRate(2400));
  EXPECT_EQ(port->baudRate(), 2400);
}

}  // namespace
}  // namespace gw
