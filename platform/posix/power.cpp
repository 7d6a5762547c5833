// The system shutdown as a configured shell command; without one the service only says so.
#include "platform/power.h"

#include <cstdio>
#include <cstdlib>

#include "platform/process.h"

namespace gw {
namespace {

class CommandPower final : public SystemPower {
 public:
  CommandPower(std::optional<std::string> command, SystemLog* log)
      : command_(std::move(command)), log_(log) {}

  ResultCode shutdownSystem() override {
    if (!command_) {
      say("system shutdown requested; GRIDWATCH_SHUTDOWN_COMMAND is not set, nothing done");
      return RC_NOT_AVAILABLE;
    }
    say("system shutdown: running " + *command_);
    int exit_code = 0;
    ResultCode rc = runShellCommand(*command_, {}, kShutdownCommandTimeoutMs, &exit_code);
    if (rc != RC_OK) return rc;
    return exit_code == 0 ? RC_OK : RC_UNSUPPORTED;
  }

 private:
  void say(const std::string& line) {
    if (log_) {
      log_->info(line);
    } else {
      std::fprintf(stderr, "%s\n", line.c_str());
    }
  }

  std::optional<std::string> command_;
  SystemLog* log_;
};

}  // namespace

std::unique_ptr<SystemPower> createSystemPower(std::optional<std::string> command,
                                               SystemLog* log) {
  return std::make_unique<CommandPower>(std::move(command), log);
}

std::optional<std::string> shutdownCommandFromEnvironment() {
  const char* value = std::getenv("GRIDWATCH_SHUTDOWN_COMMAND");
  if (!value) return std::nullopt;
  return std::string(value);
}

}  // namespace gw
