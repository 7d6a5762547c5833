// What Linux's /proc tells of a running process, for benchmarks that watch the suite's programs:
// wake-ups, resident memory, and finding a child by name. Linux only, like the figures it reads.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "common/line_file.h"
#include "platform/file_system.h"

namespace gw::bench {

// The number after `key` in a /proc status file; -1 when the file or the key is not there.
inline long long statusField(const std::string& path, const std::string& key) {
  std::string status;
  if (readWholeFile(path, &status) != RC_OK) return -1;
  for (const std::string& line : splitLines(status)) {
    if (line.compare(0, key.size(), key) == 0) return parseLeadingInt(line.substr(key.size()));
  }
  return -1;
}

// Voluntary context switches of every thread of the process, so far; -1 when it is gone.
inline long long voluntarySwitches(int64_t pid) {
  std::error_code ec;
  long long sum = 0;
  bool any = false;
  const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
  for (const auto& task : std::filesystem::directory_iterator(tasks, ec)) {
    long long n = statusField(task.path().string() + "/status", "voluntary_ctxt_switches:");
    if (n < 0) continue;  // a thread that ended meanwhile
    sum += n;
    any = true;
  }
  return any ? sum : -1;
}

// Resident memory in KiB; -1 when the process is gone. Most of it is usually the shared
// libraries' pages, which every process using them shares.
inline long long residentKib(int64_t pid) {
  return statusField("/proc/" + std::to_string(pid) + "/status", "VmRSS:");
}

// The anonymous part of the resident memory (heap, stacks) in KiB: what the process alone costs.
inline long long anonymousKib(int64_t pid) {
  return statusField("/proc/" + std::to_string(pid) + "/status", "RssAnon:");
}

// The first child of `parent` whose command name is `name`; 0 when there is none.
inline int64_t childNamed(int64_t parent, const std::string& name) {
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator("/proc", ec)) {
    const std::string dir = entry.path().string();
    std::string comm;
    if (readWholeFile(dir + "/comm", &comm) != RC_OK) continue;
    if (!comm.empty() && comm.back() == '\n') comm.pop_back();
    if (comm != name || statusField(dir + "/status", "PPid:") != parent) continue;
    return parseLeadingInt(entry.path().filename().string());
  }
  return 0;
}

}  // namespace gw::bench
