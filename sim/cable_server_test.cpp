// The simulator's end of the virtual cable, driven frame by frame from a raw socket.
#include "sim/cable_server.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <cstring>
#include <memory>
#include <string>

#include "driver/media/media.h"
#include "platform/posix/virtual_cable_port.h"
#include "testing/fake_clock.h"
#include "testing/temp_dir.h"

namespace gw {
namespace {

using posix::UniqueFd;

class CableServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SimUps::create(clock_, UpsKind::kContact, "", &ups_), RC_OK);
    ASSERT_EQ(CableServer::create(*ups_, dir_.file("cable"), &server_), RC_OK);
  }

  UniqueFd connectPort() {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, dir_.file("cable").c_str(), sizeof addr.sun_path - 1);
    UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    EXPECT_EQ(::connect(fd.get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    server_->onListenReadable();
    return fd;
  }
  void portSends(int fd, const std::string& frames) {
    ASSERT_EQ(::send(fd, frames.data(), frames.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(frames.size()));
    server_->onConnectionReadable();
  }
  static std::string portReceives(int fd) {
    std::string out;
    pollfd p{fd, POLLIN, 0};
    while (::poll(&p, 1, 100) > 0) {
      char buf[256];
      ssize_t n = ::recv(fd, buf, sizeof buf, MSG_DONTWAIT);
      if (n <= 0) break;
      out.append(buf, static_cast<size_t>(n));
    }
    return out;
  }
  static std::string frame(uint8_t type, uint8_t value) {
    return {static_cast<char>(type), static_cast<char>(value)};
  }

  FakeClock clock_;
  TempDir dir_;
  std::unique_ptr<SimUps> ups_;
  std::unique_ptr<CableServer> server_;
};

TEST_F(CableServerTest, AnswersLineChangesAndReportsLinesThatChangeByThemselves) {
  UniqueFd port = connectPort();
  EXPECT_EQ(portReceives(port.get()), frame('M', 0)) << "the state at connection: all low";

  portSends(port.get(), frame('L', posix::kWireRts | posix::kWireDtr));
  EXPECT_EQ(portReceives(port.get()), frame('A', posix::kWireCts | posix::kWireDcd));
  EXPECT_EQ(ups_->outputLines(), LC_RTS | LC_DTR);

  ups_->model().setMains(false);
  server_->tick();
  EXPECT_EQ(portReceives(port.get()), frame('M', posix::kWireDcd)) << "CTS fell by itself";
  server_->tick();
  EXPECT_EQ(portReceives(port.get()), "") << "only changes are sent";

  // Two frames in one piece, and a frame split across two pieces.
  std::string two = frame('L', posix::kWireRts) + frame('L', 0);
  portSends(port.get(), two + "L");
  portSends(port.get(), std::string(1, static_cast<char>(posix::kWireRts | posix::kWireBreak)));
  EXPECT_EQ(portReceives(port.get()), frame('A', posix::kWireDcd) + frame('A', 0) +
                                          frame('A', posix::kWireCts | posix::kWireDcd));
}

TEST_F(CableServerTest, NewConnectionReplacesTheOldOneWithLinesLow) {
  UniqueFd first = connectPort();
  portSends(first.get(), frame('L', posix::kWireDtr));
  EXPECT_EQ(ups_->outputLines(), LC_DTR);
  UniqueFd second = connectPort();
  EXPECT_EQ(ups_->outputLines(), 0u) << "a fresh port starts with its lines low";
  EXPECT_EQ(portReceives(first.get()), frame('M', 0) + frame('A', 0));
  char c;
  EXPECT_EQ(::recv(first.get(), &c, 1, MSG_DONTWAIT), 0) << "then the first is closed";
  EXPECT_EQ(portReceives(second.get()), frame('M', 0));
}

TEST(CableServerDataTest, DataFramesReachTheUpsAndAnswersComeBackFramed) {
  FakeClock clock;
  TempDir dir;
  std::unique_ptr<SimUps> ups;
  ASSERT_EQ(SimUps::create(clock, UpsKind::kText, "", &ups), RC_OK);
  std::unique_ptr<CableServer> server;
  ASSERT_EQ(CableServer::create(*ups, dir.file("c"), &server), RC_OK);
  std::unique_ptr<CableServer> clash;
  dir.write("plain", "x");
  EXPECT_EQ(CableServer::create(*ups, dir.file("plain"), &clash), RC_NOT_AVAILABLE)
      << "never replaces a file that is not a socket";

  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strncpy(addr.sun_path, dir.file("c").c_str(), sizeof addr.sun_path - 1);
  UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  ASSERT_EQ(::connect(fd.get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  server->onListenReadable();
  std::string frames = "DPD1D\r";
  ASSERT_EQ(::send(fd.get(), frames.data(), frames.size(), 0), 6);
  server->onConnectionReadable();
  std::string got;
  char buf[256];
  pollfd p{fd.get(), POLLIN, 0};
  while (::poll(&p, 1, 100) > 0) {
    ssize_t n = ::recv(fd.get(), buf, sizeof buf, MSG_DONTWAIT);
    if (n <= 0) break;
    got.append(buf, static_cast<size_t>(n));
  }
  std::string want = "M" + std::string(1, static_cast<char>(posix::kWireDcd | posix::kWireDsr |
                                                            posix::kWireCts));
  for (char c : std::string("#230,265,184,20\r")) want += std::string("D") + c;
  EXPECT_EQ(got, want);

  server.reset();
  EXPECT_FALSE(dir.exists("c")) << "the socket file goes with the server";
}

}  // namespace
}  // namespace gw
