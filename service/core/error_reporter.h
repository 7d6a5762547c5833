// The service's error events: "<service> error: <code>" with the name of what failed.
#pragma once

#include <string>

#include "platform/system_log.h"

namespace gw {

inline constexpr const char* kServiceName = "NorvaneUPS";

// Each report also goes to standard error, where a service manager's journal or a terminal
// shows it. It keeps no state, so any thread may report. The log is not owned and must outlive
// the reporter.
class ErrorReporter {
 public:
  explicit ErrorReporter(SystemLog& log) : log_(log) {}
  ErrorReporter(const ErrorReporter&) = delete;
  ErrorReporter& operator=(const ErrorReporter&) = delete;

  // `failed` names the call or the file whose operation failed; `code` is its result code.
  void report(const std::string& failed, int code);

 private:
  SystemLog& log_;
};

}  // namespace gw
