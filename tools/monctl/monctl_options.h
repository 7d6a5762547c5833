// The command line of monctl: global options, the command word and its arguments.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/client_port.h"
#include "protocol/log_kind.h"

namespace gw {

// Exit status for a command line that cannot be run. It lies outside the protocol's codes so
// that a script can tell a typing mistake from a refusal by the service.
inline constexpr int kExitUsage = 64;

inline constexpr int kDefaultTimeoutSeconds = 10;
inline constexpr int kDefaultLogCount = 20;

enum class MonctlCommand { kStatus, kGet, kSet, kLog, kSchedule, kSelfTest };

struct MonctlOptions {
  std::string host = "127.0.0.1";
  uint16_t port = kDefaultClientPort;
  // The management client's fixed login.
  std::string user = "manager";
  std::string password = "quiet lake";
  int timeout_ms = kDefaultTimeoutSeconds * 1000;
  MonctlCommand command = MonctlCommand::kStatus;
  // get: keys; set: KEY=VALUE texts; log: the log's name; selftest: the seconds or "cancel".
  std::vector<std::string> args;
  int log_count = kDefaultLogCount;
};

enum class ParseOutcome { kRun, kHelp, kUsageError };

// Reads argv[1..]. `env_port` is $GRIDWATCH_PORT (null when unset); it replaces the default
// port under the service's own rule (clientPortFromText), and --port replaces both. Options
// may stand before or after the command; "--" ends them. On kUsageError *error says what is
// wrong and *options is unspecified.
[[nodiscard]] ParseOutcome parseMonctlOptions(const std::vector<std::string>& argv,
                                              const char* env_port, MonctlOptions* options,
                                              std::string* error);

// The log a name on the command line stands for ("events", "saved", "status"); false for any
// other name, with *kind untouched.
[[nodiscard]] bool logKindFromName(std::string_view name, int* kind);

// The --help text, exit codes included.
std::string monctlUsage();

}  // namespace gw
