// Watching and ending a process by its id, including one that ignores SIGTERM.
#include "platform/other_process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "platform/process.h"

namespace gw {
namespace {

std::unique_ptr<ChildProcess> startShell(const std::string& script) {
  SpawnOptions o;
  o.program = "/bin/sh";
  o.args = {"-c", script};
  std::unique_ptr<ChildProcess> child;
  EXPECT_EQ(spawnProcess(o, &child), RC_OK);
  return child;
}

// Waits until the shell has become `sleep`, so that its trap is in place.
bool waitForExec(int64_t pid) {
  for (int i = 0; i < 200; ++i) {
    std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    if (std::getline(comm, name) && name == "sleep") return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

TEST(OtherProcessTest, SeesTheEndBeforeReapingAndEscalatesToKill) {
  std::unique_ptr<OtherProcess> none;
  EXPECT_EQ(OtherProcess::open(0, &none), RC_NOT_AVAILABLE);
  EXPECT_EQ(OtherProcess::open(-1, &none), RC_NOT_AVAILABLE);

  auto polite = startShell("exec sleep 30");
  ASSERT_TRUE(polite);
  std::unique_ptr<OtherProcess> p;
  ASSERT_EQ(OtherProcess::open(polite->id(), &p), RC_OK);
  EXPECT_EQ(p->id(), polite->id());
  EXPECT_FALSE(p->ended());
  auto start = std::chrono::steady_clock::now();
  p->terminate(2000);
  EXPECT_TRUE(p->ended()) << "ended though its parent has not reaped it";
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1500))
      << "SIGTERM alone ends it, without the grace running out";

  // Ignored signals stay ignored across exec, so this sleep refuses SIGTERM.
  auto stubborn = startShell("trap '' TERM; exec sleep 30");
  ASSERT_TRUE(stubborn);
  ASSERT_TRUE(waitForExec(stubborn->id()));
  ASSERT_EQ(OtherProcess::open(stubborn->id(), &p), RC_OK);
  start = std::chrono::steady_clock::now();
  p->terminate(300);
  EXPECT_TRUE(p->ended());
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
  int code = 0;
  ASSERT_EQ(stubborn->wait(1000, &code), RC_OK);
  EXPECT_EQ(code, 128 + 9);
}

}  // namespace
}  // namespace gw
