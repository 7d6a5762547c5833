// monsvc as a real process in a scratch data directory: the stop control, the single-instance
// check, "-start", and the files written when it stops.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/clock.h"
#include "platform/process.h"
#include "testing/default_files.h"
#include "testing/free_port.h"
#include "testing/service_process.h"
#include "testing/temp_dir.h"

namespace gw {
namespace {

class ServiceHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.copyProgram("monsvc")) << "monsvc not built";
    // porter, when present, is copied too; with nothing on the serial ports it settles on the
    // no-UPS device. The ports point nowhere so that no test opens a real line.
    have_porter_ = dir_.copyProgram("porter");
  }

  SpawnOptions options(std::vector<std::string> args = {}) {
    SpawnOptions o = serviceOptions(dir_, freeLoopbackPort());
    o.args = std::move(args);
    return o;
  }

  // The fixture ends every process it started when the test ends, however the test went.
  ChildProcess* start(std::vector<std::string> args = {}) {
    std::unique_ptr<ChildProcess> child;
    EXPECT_EQ(spawnProcess(options(std::move(args)), &child), RC_OK);
    if (!child) return nullptr;
    children_.push_back(std::move(child));
    return children_.back().get();
  }

  void TearDown() override {
    for (auto& c : children_) c->terminate();
  }

  static void settle() { std::this_thread::sleep_for(std::chrono::milliseconds(700)); }

  TempDir dir_;
  bool have_porter_ = false;
  std::vector<std::unique_ptr<ChildProcess>> children_;
};

TEST_F(ServiceHostTest, StopsOnSigtermWithinOnePollingInterval) {
  auto service = start();
  ASSERT_TRUE(service);
  settle();
  if (!have_porter_) {
    // Without the driver the run ends by itself.
    int code = -1;
    EXPECT_EQ(service->wait(5000, &code), RC_OK) << "without porter the run must end by itself";
    return;
  }
  ASSERT_TRUE(service->running());
  int64_t t0 = systemClock().monotonicMs();
  service->requestStop();
  int code = -1;
  ASSERT_EQ(service->wait(10000, &code), RC_OK) << "monsvc ignored SIGTERM";
  EXPECT_EQ(code, 0);
  EXPECT_LT(systemClock().monotonicMs() - t0, 3500) << "stop took longer than one polling interval";

  // With no files present, the stop writes the settings and the event policy in full.
  EXPECT_EQ(dir_.read("policy"), kDefaultPolicyFile);
  std::string protect = dir_.read("protect");
  EXPECT_EQ(std::count(protect.begin(), protect.end(), '\n'), 378);
  EXPECT_EQ(protect, defaultProtectFile());
  // Nothing answers on the ports, so the first poll finds no UPS: that drops the start record
  // and records the lost communication instead. The final pass records the end of protection.
  std::string events = dir_.read("event");
  EXPECT_EQ(events.find(" 000\r\n"), std::string::npos) << events;
  EXPECT_NE(events.find(" 002\r\n"), std::string::npos) << events;
  EXPECT_NE(events.find(" 001\r\n"), std::string::npos) << events;
  EXPECT_EQ(events.size() % 25, 0u) << "event records are 25 bytes on disk";
}

TEST_F(ServiceHostTest, ASecondCopyExitsAtOnce) {
  if (!have_porter_) GTEST_SKIP() << "porter not built: the first copy would not stay up";
  auto first = start();
  ASSERT_TRUE(first);
  settle();
  ASSERT_TRUE(first->running());
  auto second = start();
  int code = -1;
  ASSERT_EQ(second->wait(2000, &code), RC_OK) << "the second copy kept running";
  EXPECT_EQ(code, 0);
  EXPECT_TRUE(first->running());
  first->requestStop();
  EXPECT_EQ(first->wait(10000, &code), RC_OK);
}

TEST_F(ServiceHostTest, StartInAnyCaseCallsTheServiceManagerAndReturns) {
  // A recording systemctl first on PATH stands in for the service manager.
  dir_.writeScript("systemctl", "echo \"$@\" >> \"" + dir_.file("systemctl.log") + "\"\n");
  SpawnOptions o = options({"-START"});
  const char* path = std::getenv("PATH");
  o.extra_env["PATH"] = dir_.path() + ":" + (path ? path : "/usr/bin:/bin");
  std::unique_ptr<ChildProcess> owned;
  ASSERT_EQ(spawnProcess(o, &owned), RC_OK);
  ChildProcess* child = owned.get();
  children_.push_back(std::move(owned));
  int code = -1;
  ASSERT_EQ(child->wait(5000, &code), RC_OK);
  EXPECT_EQ(code, 0);
  EXPECT_EQ(dir_.read("systemctl.log"), "start --no-block NorvaneUPS.service\n");
}

}  // namespace
}  // namespace gw
