// The simulator's end of the virtual cable, driven frame by frame from a raw socket.
#include "sim/cable_server.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "driver/media/media.h"
#include "platform/local_socket.h"
#include "platform/virtual_cable.h"
#include "testing/fake_clock.h"
#include "testing/temp_dir.h"

namespace gw {
namespace {

using Port = std::unique_ptr<NonBlockingStream>;

Port connectTo(const std::string& path) {
  Port port;
  EXPECT_EQ(connectLocal(path, &port), RC_OK);
  return port;
}

void sendWhole(NonBlockingStream& port, const std::string& bytes) {
  ASSERT_EQ(sendAll(port, bytes, 0, 0), RC_OK);
}

// What arrives until the port has been quiet for 100 ms.
std::string receiveUntilQuiet(NonBlockingStream& port) {
  std::string out;
  for (int quiet_ms = 0; quiet_ms < 100;) {
    char buf[256];
    size_t n = 0;
    ResultCode rc = port.receive(buf, sizeof buf, &n);
    if (rc == RC_OK) {
      out.append(buf, n);
      quiet_ms = 0;
    } else if (rc == RC_TIMEOUT) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      quiet_ms += 10;
    } else {
      break;
    }
  }
  return out;
}

class CableServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SimUps::create(clock_, UpsKind::kContact, "", &ups_), RC_OK);
    ASSERT_EQ(CableServer::create(*ups_, dir_.file("cable"), &server_), RC_OK);
  }

  Port connectPort() {
    Port port = connectTo(dir_.file("cable"));
    server_->onListenReadable();
    return port;
  }
  void portSends(const Port& port, const std::string& frames) {
    sendWhole(*port, frames);
    server_->onConnectionReadable();
  }
  static std::string portReceives(const Port& port) { return receiveUntilQuiet(*port); }
  static std::string frame(uint8_t type, uint8_t value) {
    return {static_cast<char>(type), static_cast<char>(value)};
  }

  FakeClock clock_;
  TempDir dir_;
  std::unique_ptr<SimUps> ups_;
  std::unique_ptr<CableServer> server_;
};

TEST_F(CableServerTest, AnswersLineChangesAndReportsLinesThatChangeByThemselves) {
  Port port = connectPort();
  EXPECT_EQ(portReceives(port), frame('M', 0)) << "the state at connection: all low";

  portSends(port, frame('L', kWireRts | kWireDtr));
  EXPECT_EQ(portReceives(port), frame('A', kWireCts | kWireDcd));
  EXPECT_EQ(ups_->outputLines(), LC_RTS | LC_DTR);

  ups_->model().setMains(false);
  server_->tick();
  EXPECT_EQ(portReceives(port), frame('M', kWireDcd)) << "CTS fell by itself";
  server_->tick();
  EXPECT_EQ(portReceives(port), "") << "only changes are sent";

  // Two frames in one piece, and a frame split across two pieces.
  std::string two = frame('L', kWireRts) + frame('L', 0);
  portSends(port, two + "L");
  portSends(port, std::string(1, static_cast<char>(kWireRts | kWireBreak)));
  EXPECT_EQ(portReceives(port), frame('A', kWireDcd) + frame('A', 0) +
                                          frame('A', kWireCts | kWireDcd));
}

TEST_F(CableServerTest, NewConnectionReplacesTheOldOneWithLinesLow) {
  Port first = connectPort();
  portSends(first, frame('L', kWireDtr));
  EXPECT_EQ(ups_->outputLines(), LC_DTR);
  Port second = connectPort();
  EXPECT_EQ(ups_->outputLines(), 0u) << "a fresh port starts with its lines low";
  EXPECT_EQ(portReceives(first), frame('M', 0) + frame('A', 0));
  char c;
  size_t n = 0;
  EXPECT_EQ(first->receive(&c, 1, &n), RC_PIPE_BROKEN) << "then the first is closed";
  EXPECT_EQ(portReceives(second), frame('M', 0));
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

  Port port = connectTo(dir.file("c"));
  server->onListenReadable();
  sendWhole(*port, "DPD1D\r");
  server->onConnectionReadable();
  std::string got = receiveUntilQuiet(*port);
  std::string want = "M" + std::string(1, static_cast<char>(kWireDcd | kWireDsr |
                                                            kWireCts));
  for (char c : std::string("#230,265,184,20\r")) want += std::string("D") + c;
  EXPECT_EQ(got, want);

  server.reset();
  EXPECT_FALSE(dir.exists("c")) << "the socket file goes with the server";
}

}  // namespace
}  // namespace gw
