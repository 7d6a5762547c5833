// The command runner over /bin/sh and wall(1).
#include <map>
#include <memory>
#include <string>

#include "platform/process.h"
#include "service/policy/command_runner.h"

namespace gw {

namespace {

// The text travels in the environment, never in the command line, so nothing in it is ever
// read by the shell as syntax. 127 is the shell's own "not found".
constexpr const char* kWallScript =
    "command -v wall >/dev/null 2>&1 || exit 127\n"
    "printf '%s\\n' \"$GRIDWATCH_BROADCAST_TEXT\" | wall\n";
constexpr int kNotFound = 127;

class ShellCommandRunner : public CommandRunner {
 public:
  ResultCode runCommand(const std::string& command, const std::map<std::string, std::string>& env,
                        int timeout_ms) override {
    int exit_code = 0;
    return runShellCommand(command, env, timeout_ms, &exit_code);
  }

  ResultCode broadcast(const std::string& text, int timeout_ms) override {
    int exit_code = 0;
    ResultCode rc =
        runShellCommand(kWallScript, {{"GRIDWATCH_BROADCAST_TEXT", text}}, timeout_ms, &exit_code);
    if (rc != RC_OK) return rc;
    return exit_code == kNotFound ? RC_UNSUPPORTED : RC_OK;
  }
};

}  // namespace

std::unique_ptr<CommandRunner> createShellCommandRunner() {
  return std::make_unique<ShellCommandRunner>();
}

}  // namespace gw
