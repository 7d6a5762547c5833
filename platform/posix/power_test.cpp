// The system shutdown runs only the configured command; these tests configure a recording one.
#include "platform/power.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "testing/temp_dir.h"

namespace gw {
namespace {

class LinesLog : public SystemLog {
 public:
  void reportError(const std::string& text, const std::string& call) override {
    lines.push_back("error " + text + " " + call);
  }
  void info(const std::string& text) override { lines.push_back(text); }
  std::vector<std::string> lines;
};

TEST(SystemPowerTest, RunsTheCommandFromTheEnvironmentThroughTheShell) {
  TempDir dir;
  // The variable is always set to a recorder here: no test may reach a real power-off.
  std::string command = "echo powered-off >> '" + dir.file("calls") + "'";
  ASSERT_EQ(::setenv("GRIDWATCH_SHUTDOWN_COMMAND", command.c_str(), 1), 0);
  LinesLog log;
  auto power = createSystemPower(shutdownCommandFromEnvironment(), &log);
  EXPECT_EQ(power->shutdownSystem(), RC_OK);
  EXPECT_EQ(dir.read("calls"), "powered-off\n");
  EXPECT_FALSE(log.lines.empty()) << "the shutdown is logged";

  auto failing = createSystemPower(std::string("exit 3"), &log);
  EXPECT_NE(failing->shutdownSystem(), RC_OK) << "a failing command is reported";
}

TEST(SystemPowerTest, WithoutACommandOnlyALineIsLogged) {
  ASSERT_EQ(::unsetenv("GRIDWATCH_SHUTDOWN_COMMAND"), 0);
  EXPECT_FALSE(shutdownCommandFromEnvironment().has_value());
  LinesLog log;
  auto power = createSystemPower(shutdownCommandFromEnvironment(), &log);
  EXPECT_EQ(power->shutdownSystem(), RC_NOT_AVAILABLE);
  ASSERT_EQ(log.lines.size(), 1u);
  EXPECT_NE(log.lines[0].find("GRIDWATCH_SHUTDOWN_COMMAND"), std::string::npos) << log.lines[0];
}

}  // namespace
}  // namespace gw
