// The termios serial port on a real pseudo-terminal pair.
#include "platform/posix/tty_serial_port.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>

#include "platform/serial_port.h"
#include "testing/pty_pair.h"

namespace gw {
namespace {

int64_t steadyMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

class TtySerialPortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty_.ok()) << "no pseudo-terminal available";
    ASSERT_EQ(openSerialPort(pty_.slavePath(), &port_), RC_OK);
    ASSERT_EQ(port_->configure(1200), RC_OK);
  }
  posix::TtySerialPort& tty() { return static_cast<posix::TtySerialPort&>(*port_); }

  PtyPair pty_;
  std::unique_ptr<SerialPort> port_;
};

TEST_F(TtySerialPortTest, APseudoTerminalActsAsACableWithAUpsAttached) {
  EXPECT_FALSE(tty().hasModemLines());
  EXPECT_EQ(port_->setBaudRate(1234), RC_BAD_VALUE);
  EXPECT_EQ(port_->baudRate(), 1200) << "a refused rate must not change the recorded one";
  uint32_t signals = 0;
  ASSERT_EQ(port_->getModemLines(&signals), RC_OK);
  EXPECT_EQ(signals, LS_DCD | LS_DSR | LS_CTS);
  ASSERT_EQ(port_->setModemLines(LC_DTR | LC_RTS, true), RC_OK);
  ASSERT_EQ(port_->setModemLines(LC_BREAK, true), RC_OK);
  ASSERT_EQ(port_->setModemLines(LC_RTS | LC_BREAK, false), RC_OK);
  EXPECT_EQ(tty().drivenLines(), LC_DTR);
  EXPECT_EQ(port_->setModemLines(0x01, true), RC_BAD_VALUE) << "an input bit is not drivable";
  EXPECT_EQ(tty().drivenLines(), LC_DTR);
}

TEST_F(TtySerialPortTest, AHungUpLineFailsPromptly) {
  pty_.closeMaster();
  uint8_t buf[8];
  size_t got = 0;
  int64_t start = steadyMs();
  EXPECT_EQ(port_->read(buf, sizeof buf, 2000, &got), RC_LINE_FAILURE);
  EXPECT_LT(steadyMs() - start, 1000) << "a hang-up must not be waited out";
}

TEST(OpenSerialPortTest, OnlyTerminalsOpenAndEachOnlyOnce) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  std::unique_ptr<SerialPort> first, second;
  ASSERT_EQ(openSerialPort(pty.slavePath(), &first), RC_OK);
  EXPECT_EQ(openSerialPort(pty.slavePath(), &second), RC_NOT_AVAILABLE) << "busy port";
  EXPECT_EQ(second, nullptr);
  first.reset();
  EXPECT_EQ(openSerialPort(pty.slavePath(), &second), RC_OK) << "free again after close";

  char dir_template[] = "/tmp/gw_serial_XXXXXX";
  ASSERT_NE(::mkdtemp(dir_template), nullptr);
  std::string dir = dir_template;
  std::unique_ptr<SerialPort> none;
  EXPECT_EQ(openSerialPort(dir + "/missing", &none), RC_NOT_AVAILABLE);
  EXPECT_EQ(openSerialPort("", &none), RC_NOT_AVAILABLE);
  std::string plain = dir + "/plain";
  std::ofstream(plain) << "not a tty";
  EXPECT_EQ(openSerialPort(plain, &none), RC_NOT_AVAILABLE);
  EXPECT_EQ(openSerialPort(dir, &none), RC_NOT_AVAILABLE);

  std::string sock_path = dir + "/cable";
  int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(s, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", sock_path.c_str());
  ASSERT_EQ(::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  EXPECT_NE(openSerialPort(sock_path, &none), RC_OK) << "a socket nobody serves is no port";
  ::close(s);
  EXPECT_EQ(none, nullptr);
  ::unlink(sock_path.c_str());
  ::unlink(plain.c_str());
  ::rmdir(dir.c_str());
}

}  // namespace
}  // namespace gw
