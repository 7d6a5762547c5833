// The port end of the virtual serial cable against a hand-driven UPS end on a real socket.
#include "platform/posix/virtual_cable_port.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "platform/clock.h"
#include "platform/posix/unique_fd.h"
#include "testing/temp_dir.h"

namespace gw::posix {
namespace {

class VirtualCablePortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = dir_.file("cable");
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path_.c_str(), sizeof addr.sun_path - 1);
    listener_.reset(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    ASSERT_TRUE(listener_.valid());
    ASSERT_EQ(::bind(listener_.get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(::listen(listener_.get(), 1), 0);
    // Through the platform's entry point: a socket path opens the cable.
    ASSERT_EQ(openSerialPort(path_, &port_), RC_OK);
    ups_.reset(::accept(listener_.get(), nullptr, nullptr));
    ASSERT_TRUE(ups_.valid());
  }

  void upsSends(std::initializer_list<int> frame_bytes) {
    std::string s;
    for (int b : frame_bytes) s += static_cast<char>(b);
    ASSERT_EQ(::send(ups_.get(), s.data(), s.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(s.size()));
  }
  // What arrived at the UPS end within timeout_ms.
  std::string upsReceives(int timeout_ms = 500) {
    std::string out;
    pollfd p{ups_.get(), POLLIN, 0};
    while (::poll(&p, 1, timeout_ms) > 0) {
      char buf[256];
      ssize_t n = ::recv(ups_.get(), buf, sizeof buf, MSG_DONTWAIT);
      if (n <= 0) break;
      out.append(buf, static_cast<size_t>(n));
      timeout_ms = 50;
    }
    return out;
  }
  std::string portReads(size_t count, int timeout_ms) {
    char buf[64] = {};
    size_t got = 99;
    EXPECT_EQ(port_->read(buf, count, timeout_ms, &got), RC_OK);
    return std::string(buf, got > sizeof buf ? 0 : got);
  }

  TempDir dir_;
  std::string path_;
  UniqueFd listener_;
  UniqueFd ups_;
  std::unique_ptr<SerialPort> port_;
};

TEST_F(VirtualCablePortTest, DataTravelsAsFramesBothWays) {
  size_t written = 0;
  ASSERT_EQ(port_->write("D\r", 2, &written), RC_OK);
  EXPECT_EQ(written, 2u);
  EXPECT_EQ(upsReceives(), "DDD\r");

  upsSends({'D', '#', 'M', kWireDsr, 'D', 0x0D, 'X', 0x55, 'D', 'x'});
  EXPECT_EQ(portReads(2, 500), "#\r") << "an unknown frame type is skipped, lines are not data";
  EXPECT_EQ(portReads(10, 500), "x");

  int64_t t0 = systemClock().monotonicMs();
  EXPECT_EQ(portReads(10, 150), "");
  EXPECT_GE(systemClock().monotonicMs() - t0, 140) << "a silent line waits out the time-out";

  // Half a frame waits for its other half.
  upsSends({'D'});
  EXPECT_EQ(portReads(1, 100), "");
  upsSends({'z'});
  EXPECT_EQ(portReads(1, 500), "z");
}

TEST_F(VirtualCablePortTest, LinesTravelAndPurgeKeepsThem) {
  uint32_t in = 0xFFFF;
  ASSERT_EQ(port_->getModemLines(&in), RC_OK);
  EXPECT_EQ(in, 0u) << "nothing heard yet";
  upsSends({'M', kWireDcd | kWireCts | kWireRing});
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ASSERT_EQ(port_->getModemLines(&in), RC_OK);
  EXPECT_EQ(in, LS_DCD | LS_CTS | LS_RING);

  // The acknowledgement may already be waiting: it still counts for this change.
  upsSends({'A', kWireDsr});
  ASSERT_EQ(port_->setModemLines(LC_DTR | LC_RTS, true), RC_OK);
  ASSERT_EQ(port_->getModemLines(&in), RC_OK);
  EXPECT_EQ(in, LS_DSR) << "the state the acknowledgement carried";
  upsSends({'A', 0});
  ASSERT_EQ(port_->setModemLines(LC_DTR, false), RC_OK);
  upsSends({'A', 0});
  ASSERT_EQ(port_->setModemLines(LC_BREAK, true), RC_OK);
  const std::string frames = {'L', kWireDtr | kWireRts, 'L', kWireRts, 'L', kWireRts | kWireBreak};
  EXPECT_EQ(upsReceives(), frames);
  EXPECT_EQ(port_->setModemLines(0x01, true), RC_BAD_VALUE);

  int64_t t0 = systemClock().monotonicMs();
  EXPECT_EQ(port_->setModemLines(LC_DTR, true), RC_LINE_FAILURE) << "nobody acknowledges";
  EXPECT_GE(systemClock().monotonicMs() - t0, VirtualCablePort::kAckTimeoutMs - 10);

  upsSends({'D', 'q', 'M', kWireCts});
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  port_->purge();
  EXPECT_EQ(portReads(1, 100), "") << "purged";
  ASSERT_EQ(port_->getModemLines(&in), RC_OK);
  EXPECT_EQ(in, LS_CTS) << "a purge drops data, not line changes";
}

TEST_F(VirtualCablePortTest, ClosedUpsEndIsALineFailure) {
  upsSends({'D', '1'});
  ups_.reset();
  EXPECT_EQ(portReads(1, 500), "1") << "what came before the close is still read";
  char c;
  size_t got = 0;
  EXPECT_EQ(port_->read(&c, 1, 200, &got), RC_LINE_FAILURE);
  uint32_t in = 0;
  EXPECT_EQ(port_->getModemLines(&in), RC_LINE_FAILURE);
  size_t written = 0;
  EXPECT_NE(port_->write("D\r", 2, &written), RC_OK);
}

}  // namespace
}  // namespace gw::posix
