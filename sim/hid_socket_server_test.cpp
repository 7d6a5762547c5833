// The simulated HID device's socket end to end in one process: the platform's socket device
// asks, the simulator's server answers; unplugging drops the host; a broken frame drops only
// its sender.
#include "sim/hid_socket_server.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <future>
#include <string>

#include "platform/clock.h"
#include "platform/posix/hid_socket_device.h"
#include "testing/temp_dir.h"

namespace gw {
namespace {

using Bytes = std::vector<uint8_t>;
using posix::HidSocketDevice;

class HidSocketServerTest : public ::testing::Test {
 protected:
  HidSocketServerTest() {
    EXPECT_EQ(SimUps::create(systemClock(), UpsKind::kBinary, "KD-9", &ups_), RC_OK);
    hid_ = std::make_unique<SimHidUps>(*ups_, 0xFFF0, 0x0001);
    EXPECT_EQ(HidSocketServer::create(*hid_, dir_.file("ups.hid"), &server_), RC_OK);
  }

  void pump(int ms) {
    std::vector<pollfd> fds;
    server_->addPollFds(&fds);
    if (::poll(fds.data(), fds.size(), ms) > 0) server_->handle(fds);
    server_->tick();
  }
  // Runs a blocking host call on another thread while this one serves; the simulated UPS
  // stays on this thread.
  template <typename F>
  auto hostCall(F f) {
    auto done = std::async(std::launch::async, f);
    while (done.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready) pump(5);
    return done.get();
  }
  std::unique_ptr<HidSocketDevice> connect() {
    std::unique_ptr<HidSocketDevice> device;
    EXPECT_EQ(HidSocketDevice::connect(dir_.file("ups.hid"), &device), RC_OK);
    pump(10);  // accepted
    return device;
  }

  TempDir dir_;
  std::unique_ptr<SimUps> ups_;
  std::unique_ptr<SimHidUps> hid_;
  std::unique_ptr<HidSocketServer> server_;
};

TEST_F(HidSocketServerTest, RequestsGetTheirRepliesAndAnswersArriveAsInputReports) {
  auto device = connect();
  ASSERT_TRUE(device);
  uint16_t vendor = 0, product = 0;
  ASSERT_EQ(hostCall([&] { return device->identify(&vendor, &product); }), RC_OK);
  EXPECT_EQ(vendor, 0xFFF0);
  EXPECT_EQ(product, 0x0001);
  Bytes descriptor;
  ASSERT_EQ(hostCall([&] { return device->reportDescriptor(&descriptor); }), RC_OK);
  EXPECT_EQ(descriptor, SimHidUps::descriptorBytes());

  uint8_t buffer[32];
  size_t got = 0;
  ASSERT_EQ(hostCall([&] { return device->getFeature(1, buffer, sizeof buffer, &got); }), RC_OK);
  EXPECT_EQ(Bytes(buffer, buffer + got), (Bytes{1, 0, 0, 0, 1, 1, 0, 1}));
  EXPECT_EQ(hostCall([&] { return device->getFeature(9, buffer, sizeof buffer, &got); }),
            RC_NOT_AVAILABLE)
      << "the device's refusal code comes back";
  const Bytes rate = {1, 3, 1, 0, 0, 0, 0, 0};
  ASSERT_EQ(hostCall([&] { return device->setFeature(rate.data(), rate.size()); }), RC_OK);
  EXPECT_EQ(hid_->lineRate(), 9600);

  for (uint8_t c : {uint8_t{'D'}, uint8_t{'\r'}}) {
    const Bytes out = {3, 1, c};
    ASSERT_EQ(hostCall([&] { return device->writeOutput(out.data(), out.size(), 1000); }), RC_OK);
  }
  std::string answer;
  for (int i = 0; i < 2; ++i) {
    ASSERT_EQ(hostCall([&] { return device->readInput(buffer, sizeof buffer, 1000, &got); }),
              RC_OK);
    ASSERT_EQ(got, SimHidUps::kInputLength);
    answer.append(reinterpret_cast<char*>(buffer) + 2, buffer[1]);
  }
  EXPECT_EQ(answer.size(), 14u);
  EXPECT_EQ(hostCall([&] { return device->readInput(buffer, sizeof buffer, 100, &got); }),
            RC_TIMEOUT);
}

TEST_F(HidSocketServerTest, UnpluggingDropsTheHostAndRefusesNewOnes) {
  auto device = connect();
  ASSERT_TRUE(device);
  EXPECT_EQ(server_->hosts(), 1u);
  ups_->setCablePulled(true);
  pump(10);
  EXPECT_EQ(server_->hosts(), 0u);
  uint8_t buffer[16];
  size_t got = 0;
  EXPECT_EQ(hostCall([&] { return device->readInput(buffer, sizeof buffer, 500, &got); }),
            RC_LINE_FAILURE);
  uint16_t v = 0, p = 0;
  auto later = connect();
  EXPECT_NE(hostCall([&] { return later->identify(&v, &p); }), RC_OK);

  ups_->setCablePulled(false);
  auto again = connect();
  EXPECT_EQ(hostCall([&] { return again->identify(&v, &p); }), RC_OK) << "plugged in again";
}

TEST_F(HidSocketServerTest, AnOverlongFrameDropsOnlyItsSender) {
  auto good = connect();
  int raw = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strncpy(addr.sun_path, dir_.file("ups.hid").c_str(), sizeof addr.sun_path - 1);
  ASSERT_EQ(::connect(raw, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  pump(10);
  ASSERT_EQ(server_->hosts(), 2u);
  const char frame[] = {'O', '\xFF', '\xFF'};
  ASSERT_EQ(::send(raw, frame, sizeof frame, MSG_NOSIGNAL), 3);
  pump(50);
  EXPECT_EQ(server_->hosts(), 1u);
  ::close(raw);
  uint16_t v = 0, p = 0;
  EXPECT_EQ(hostCall([&] { return good->identify(&v, &p); }), RC_OK);
}

}  // namespace
}  // namespace gw
