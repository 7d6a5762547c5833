// A system log that keeps its error events as "text|failed call" lines for tests to compare.
#pragma once

#include <string>
#include <vector>

#include "platform/system_log.h"

namespace gw {

class RecordingSystemLog : public SystemLog {
 public:
  void reportError(const std::string& text, const std::string& failed_call) override {
    errors.push_back(text + "|" + failed_call);
  }
  void info(const std::string& text) override { infos.push_back(text); }

  std::vector<std::string> errors;
  std::vector<std::string> infos;
};

}  // namespace gw
