// The built libpmx.so as the driver loads it: its export makes USB media that find the
// simulated HID UPS named by GRIDWATCH_HID, over the platform's socket seam and real time.
#include <gtest/gtest.h>
#include <poll.h>
#include <stdlib.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "driver/devices/detect_protocol.h"
#include "driver/devices/value_table.h"
#include "driver/media/media_provider.h"
#include "hidbridge/ups_usb_ids.h"
#include "platform/clock.h"
#include "sim/hid_socket_server.h"
#include "sim/sim_hid_ups.h"
#include "testing/temp_dir.h"

namespace gw {
namespace {

// A simulated HID UPS served on a socket by a thread of its own, as upssim would serve it.
class ServedHidUps {
 public:
  explicit ServedHidUps(const std::string& path) {
    if (SimUps::create(systemClock(), UpsKind::kBinary, "KD-9", &ups_) != RC_OK) return;
    hid_ = std::make_unique<SimHidUps>(*ups_, UPS_USB_VENDOR_ID, UPS_USB_PRODUCT_ID);
    if (HidSocketServer::create(*hid_, path, &server_) != RC_OK) return;
    thread_ = std::thread([this] { serve(); });
  }
  ~ServedHidUps() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }
  bool running() const { return server_ != nullptr; }

 private:
  void serve() {
    std::vector<pollfd> fds;
    while (!stop_) {
      fds.clear();
      server_->addPollFds(&fds);
      if (::poll(fds.data(), fds.size(), 20) > 0) server_->handle(fds);
      server_->tick();
    }
  }

  std::unique_ptr<SimUps> ups_;
  std::unique_ptr<SimHidUps> hid_;
  std::unique_ptr<HidSocketServer> server_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// Sets an environment variable for one test and puts back its absence afterwards.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    ::setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() { ::unsetenv(name_); }

 private:
  const char* name_;
};

std::string libraryPath() {
  const char* bin = std::getenv("GW_BIN_DIR");
  return std::string(bin ? bin : ".") + "/" + kBridgeLibraryName;
}

TEST(PmxLibraryTest, TheExportedMediaDetectsTheSimulatedUps) {
  TempDir dir;
  ServedHidUps ups(dir.file("ups.hid"));
  ASSERT_TRUE(ups.running());
  ScopedEnv env(kHidSimulatorVariable, dir.file("nothing-here.hid") + ":" + dir.file("ups.hid"));

  MediaProvider provider(systemClock(), libraryPath());
  ASSERT_TRUE(provider.usbAvailable()) << "libpmx.so missing or without its export";
  EXPECT_EQ(provider.createMedia(kMediaUsb, 2), nullptr) << "one device answers";
  MediaPtr media = provider.createMedia(kMediaUsb, 1);
  ASSERT_NE(media, nullptr) << "the listed device that runs is device 1";
  EXPECT_EQ(media->mediaType(), kMediaUsb);
  EXPECT_EQ(media->index(), 1);

  std::unique_ptr<Device> device = detectDevice(*media, systemClock());
  ASSERT_TRUE(device);
  char model[16] = {};
  size_t size = sizeof model;
  ASSERT_EQ(device->getText(E_MODEL, model, &size), RC_OK);
  EXPECT_STREQ(model, "KD-9");

  // One device poll: "D" and CR out, the 14-byte status answer back, over the socket.
  long long fastest = -1, slowest = -1;
  for (int i = 0; i < 5; ++i) {
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(device->poll(), RC_OK);
    const long long us = std::chrono::duration_cast<std::chrono::microseconds>(
                             std::chrono::steady_clock::now() - start)
                             .count();
    fastest = fastest < 0 || us < fastest ? us : fastest;
    slowest = us > slowest ? us : slowest;
  }
  std::printf("one status poll over the HID socket: %lld..%lld us over 5 polls\n", fastest,
              slowest);
  EXPECT_GE(fastest, 50000) << "at least the pause between \"D\" and CR";
  EXPECT_LT(slowest, 2000000);
  device.reset();
  media.reset();  // every media goes before the provider unloads the library
}

TEST(PmxLibraryTest, NoSimulatorRunningMeansNoUsbDevice) {
  TempDir dir;
  ScopedEnv env(kHidSimulatorVariable, dir.file("ups.hid"));
  MediaProvider provider(systemClock(), libraryPath());
  ASSERT_TRUE(provider.usbAvailable());
  EXPECT_EQ(provider.createMedia(kMediaUsb, 1), nullptr);
}

}  // namespace
}  // namespace gw
