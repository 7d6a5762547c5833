// The system's error log (syslog on POSIX, the event log on Windows).
#pragma once

#include <string>

namespace gw {

class SystemLog {
 public:
  SystemLog() = default;
  SystemLog(const SystemLog&) = delete;
  SystemLog& operator=(const SystemLog&) = delete;
  virtual ~SystemLog() = default;

  // Records an error event with two strings, as the error reporter does: the formatted
  // "<source> error: <code>" text and the name of the call that failed.
  virtual void reportError(const std::string& text, const std::string& failed_call) = 0;
  // An informational line.
  virtual void info(const std::string& text) = 0;
};

}  // namespace gw
