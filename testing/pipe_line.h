// Reading one line from a child's pipe in tests, with a time-out over the whole line.
#pragma once

#include <chrono>
#include <string>

#include "platform/pipe.h"

namespace gw {

// Takes the next line (without its line feed) from *pending, reading more from the pipe as
// needed for at most timeout_ms in all. False on time-out or a broken pipe; what was read stays
// in *pending.
inline bool readPipeLine(Pipe& pipe, std::string* pending, int timeout_ms, std::string* line) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    size_t lf = pending->find('\n');
    if (lf != std::string::npos) {
      *line = pending->substr(0, lf);
      pending->erase(0, lf + 1);
      return true;
    }
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    deadline - std::chrono::steady_clock::now())
                    .count();
    if (left <= 0) return false;
    char buf[256];
    size_t got = 0;
    if (pipe.read(buf, sizeof buf, static_cast<int>(left), &got) != RC_OK) return false;
    pending->append(buf, got);
  }
}

}  // namespace gw
