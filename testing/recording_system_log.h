// A system log that keeps what it is told, for tests that check what reaches the log. Safe to
// use from several threads (worker actions and the error reporter may both write).
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/system_log.h"

namespace gw {

class RecordingSystemLog : public SystemLog {
 public:
  void reportError(const std::string& text, const std::string& failed_call) override {
    std::lock_guard<std::mutex> hold(mutex_);
    lines_.push_back("error " + text + " " + failed_call);
  }
  void info(const std::string& text) override {
    std::lock_guard<std::mutex> hold(mutex_);
    lines_.push_back(text);
  }
  // Error lines read "error <text> <failed call>"; informational lines are the text alone.
  std::vector<std::string> lines() const {
    std::lock_guard<std::mutex> hold(mutex_);
    return lines_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
};

}  // namespace gw
