// Outside programs the policy's "command" and "broadcast" actions run.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "common/result_code.h"

namespace gw {

// Called from policy worker threads, possibly several at once; implementations must be
// thread-safe. Each call blocks for at most timeout_ms.
class CommandRunner {
 public:
  CommandRunner() = default;
  CommandRunner(const CommandRunner&) = delete;
  CommandRunner& operator=(const CommandRunner&) = delete;
  virtual ~CommandRunner() = default;

  // Runs `command` through /bin/sh with `env` added to the environment. RC_OK once it ended
  // (whatever its exit status), RC_TIMEOUT when it was killed for running too long,
  // RC_NOT_AVAILABLE when no shell could be started.
  [[nodiscard]] virtual ResultCode runCommand(const std::string& command,
                                              const std::map<std::string, std::string>& env,
                                              int timeout_ms) = 0;

  // Shows `text` on every logged-in terminal. RC_UNSUPPORTED when the system has no way to.
  [[nodiscard]] virtual ResultCode broadcast(const std::string& text, int timeout_ms) = 0;
};

// The real runner: commands through runShellCommand, broadcasts through wall(1), fed the text on
// its standard input, when wall is installed.
std::unique_ptr<CommandRunner> createShellCommandRunner();

}  // namespace gw
