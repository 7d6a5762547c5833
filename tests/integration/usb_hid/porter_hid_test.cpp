// porter and upssim as real processes over the USB HID link: porter, copied with libpmx.so into
// a directory of its own, finds the simulated HID UPS through the bridge and reports it as
// media type 3, device 1.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "platform/hid.h"
#include "testing/porter_run.h"
#include "testing/ups_suite_run.h"

namespace gw {
namespace {

constexpr int kStartWaitMs = 15000;  // detection over HID, on a loaded machine
constexpr int kChangeWaitMs = 8000;  // two of porter's polls

// The value of "S<n> <value>", or a large negative number for an error reply.
long value(const std::string& reply) {
  size_t blank = reply.find(' ');
  if (blank == std::string::npos || reply.find('E') != std::string::npos) return -100000;
  return std::strtol(reply.c_str() + blank + 1, nullptr, 10);
}

class PorterHidTest : public ::testing::Test {
 protected:
  // The HID simulator with these arguments, and porter and the bridge copied beside each other.
  void startSim(const std::vector<std::string>& args) {
    std::string error;
    ASSERT_TRUE(run_.startSimulator(&error, true, args)) << error;
    ASSERT_TRUE(run_.dir.copyProgram("porter") && run_.dir.copyProgram("libpmx.so"))
        << "porter or libpmx.so is not built";
  }
  // porter with no serial port that answers; the simulated HID device where upssim said.
  void startPorter(int type, int index, bool through_env = true) {
    std::map<std::string, std::string> env;
    for (int n = 1; n <= 4; ++n) {
      env["GRIDWATCH_COM" + std::to_string(n)] = run_.dir.file("no-port" + std::to_string(n));
    }
    if (through_env) env[kHidSimulatorVariable] = run_.devicePath();
    ASSERT_TRUE(porter_.start(run_.dir.file("porter"), type, index, env));
  }
  void waitConnected() {
    ASSERT_EQ(porter_.askUntilEquals("S12", "S12 1", kStartWaitMs), "S12 1");
    ASSERT_GE(value(porter_.askUntil(
                  "S7", [](const std::string& r) { return value(r) >= 0; }, kStartWaitMs)),
              0);
  }

  UpsSuiteRun run_;
  PorterRun porter_;
};

TEST_F(PorterHidTest, MediaType3DetectsTheBinaryUpsAndFollowsItsPowerAndCable) {
  startSim({"--kind", "binary", "--model", "KD-9"});
  startPorter(3, 0);
  waitConnected();
  EXPECT_EQ(porter_.ask("R12"), "R12 KD-9");
  EXPECT_EQ(porter_.ask("R13"), "R13 3.A10");
  EXPECT_EQ(porter_.ask("R21"), "R21 1200");
  EXPECT_EQ(porter_.ask("R23"), "R23 3") << "media type";
  EXPECT_EQ(porter_.ask("R24"), "R24 1") << "device number";
  EXPECT_NEAR(value(porter_.ask("S0")), 12000, 300) << "input voltage";
  EXPECT_NEAR(value(porter_.ask("S5")), 6000, 40) << "frequency";
  EXPECT_NEAR(value(porter_.ask("S2")), 10000, 300) << "capacity";
  EXPECT_EQ(porter_.ask("S7"), "S7 0");

  // The service's status poll: its 14 requests, one after another.
  const auto start = std::chrono::steady_clock::now();
  for (int n = 0; n < 14; ++n) {
    std::string reply = porter_.ask("S" + std::to_string(n));
    EXPECT_EQ(reply.rfind("S" + std::to_string(n), 0), 0u) << reply;
  }
  const auto us = std::chrono::duration_cast<std::chrono::microseconds>(
                      std::chrono::steady_clock::now() - start)
                      .count();
  // porter answers them from its last device poll; the UPS is not asked.
  std::printf("14 status requests to porter on the HID link took %lld us\n",
              static_cast<long long>(us));

  EXPECT_EQ(run_.simulator("mains fail"), "OK mains off");
  EXPECT_EQ(porter_.askUntilEquals("S7", "S7 1", kChangeWaitMs), "S7 1");
  EXPECT_LT(value(porter_.ask("S0")), 1000);
  EXPECT_EQ(run_.simulator("mains restore"), "OK mains on");
  EXPECT_EQ(porter_.askUntilEquals("S7", "S7 0", kChangeWaitMs), "S7 0");

  EXPECT_EQ(run_.simulator("cable pull"), "OK cable pulled");
  EXPECT_EQ(porter_.askUntilEquals("S0", "S0E 8", kChangeWaitMs), "S0E 8")
      << "an unplugged USB UPS leaves porter with no UPS";
  EXPECT_EQ(run_.simulator("cable plug"), "OK cable plugged");
  EXPECT_EQ(porter_.askUntilEquals("R12", "R12 KD-9", 12000), "R12 KD-9") << "found again";
}

TEST_F(PorterHidTest, MediaType1TriesTheSerialPortsAndLandsOnUsbDevice1) {
  startSim({"--kind", "binary", "--model", "KE-4"});
  startPorter(1, 0);
  waitConnected();
  EXPECT_EQ(porter_.ask("R23"), "R23 3");
  EXPECT_EQ(porter_.ask("R24"), "R24 1");
  EXPECT_EQ(porter_.ask("R12"), "R12 KE-4");
  EXPECT_NEAR(value(porter_.ask("S0")), 23000, 300);
}

TEST_F(PorterHidTest, TheTextProtocolRunsOverUsbUnchanged) {
  startSim({"--kind", "text", "--model", "KT-1000"});
  startPorter(3, 1);
  waitConnected();
  EXPECT_EQ(porter_.ask("R12"), "R12 KT-1000");
  EXPECT_EQ(porter_.ask("R21"), "R21 2400");
  EXPECT_EQ(porter_.ask("S0"), "S0 23000");
}

TEST_F(PorterHidTest, AKernelHidDeviceIsFoundThroughHidraw) {
  int probe = ::open("/dev/uhid", O_RDWR | O_CLOEXEC);
  if (probe < 0) {
    GTEST_SKIP() << "/dev/uhid is missing or not writable here: upssim serves its HID UPS on a "
                    "socket instead, and the kernel path is not tested";
  }
  ::close(probe);
  startSim({"--kind", "binary", "--model", "KD-9"});
  ASSERT_EQ(run_.devicePath(), "") << "upssim made a kernel device";
  startPorter(3, 0, false);
  waitConnected();
  EXPECT_EQ(porter_.ask("R12"), "R12 KD-9");
  EXPECT_EQ(porter_.ask("R23"), "R23 3");
}

}  // namespace
}  // namespace gw
