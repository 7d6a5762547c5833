// The record of everything a simulated UPS received: one entry per command (data bytes,
// hex-escaped) or per change of the port's output lines, each with its time.
//
// Entries are kept in memory (the newest kMaxEntries) for the "received" control command and,
// when a file is opened, appended to it as lines "<local time>.<ms> <entry>" and flushed at once
// so that a test can read the file while the simulator runs.
#pragma once

#include <cstdint>
#include <cstdio>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "common/result_code.h"
#include "platform/clock.h"

namespace gw {

class CommandLog {
 public:
  static constexpr size_t kMaxEntries = 10000;

  explicit CommandLog(Clock& clock) : clock_(clock) {}
  CommandLog(const CommandLog&) = delete;
  CommandLog& operator=(const CommandLog&) = delete;
  ~CommandLog();

  // Appends to the file from now on. RC_NOT_AVAILABLE when it cannot be opened.
  [[nodiscard]] ResultCode openFile(const std::string& path);

  // One command as received, escaped with escapeBytes.
  void recordBytes(std::string_view bytes);
  // The port's output lines (LC_* bits) after a change, as "lines:DTR+RTS+BREAK" ("lines:-"
  // when all are low).
  void recordLines(uint32_t lines);

  std::vector<std::string> entries() const { return {entries_.begin(), entries_.end()}; }
  void clear() { entries_.clear(); }

  // Printable ASCII stays as it is, except blank, backslash and characters outside 0x21..0x7E,
  // which become \xHH (two lower-case hex digits): "D\r" is "D\x0d". An entry never contains a
  // blank, so entries can be joined by blanks on one line.
  static std::string escapeBytes(std::string_view bytes);
  static std::string linesText(uint32_t lines);

 private:
  void add(std::string entry);

  Clock& clock_;
  std::deque<std::string> entries_;
  std::FILE* file_ = nullptr;
};

}  // namespace gw
