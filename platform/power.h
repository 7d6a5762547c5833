// The operating system's shutdown with power-off, the last step of the shutdown sequence.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "common/result_code.h"
#include "platform/system_log.h"

namespace gw {

class SystemPower {
 public:
  SystemPower() = default;
  SystemPower(const SystemPower&) = delete;
  SystemPower& operator=(const SystemPower&) = delete;
  virtual ~SystemPower() = default;

  // Begins the system's shutdown and power-off. Blocks until the shutdown command has returned
  // (at most kShutdownCommandTimeoutMs; a command still running then is killed). RC_OK when the
  // command ran and exited with 0; RC_NOT_AVAILABLE when no command is configured (a line is
  // logged and nothing else happens); otherwise the failure.
  [[nodiscard]] virtual ResultCode shutdownSystem() = 0;
};

inline constexpr int kShutdownCommandTimeoutMs = 60000;

// `command` is run through /bin/sh -c; none: shutdownSystem() only logs. The log (nullable: the
// line goes to standard error) must outlive the object.
std::unique_ptr<SystemPower> createSystemPower(std::optional<std::string> command,
                                               SystemLog* log);

// The command from GRIDWATCH_SHUTDOWN_COMMAND; unset gives none (an empty value is kept, and
// runs an empty shell command).
std::optional<std::string> shutdownCommandFromEnvironment();

}  // namespace gw
