// What loading one settings file refused, kept for the one report the service makes of it, and
// the copy of the original that is kept before the file is first written again.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace gw {

// The original of a file with refused lines is kept under its name and this suffix.
inline constexpr std::string_view kRejectedSuffix = ".rejected";

struct LoadReport {
  std::string file_name;              // "user"
  std::vector<size_t> refused_lines;  // numbered from 1, in file order
  std::string note;                   // a further problem, "no account: nobody can log in"
  bool kept_copy = false;             // the original was kept as file_name + kRejectedSuffix

  // Nothing to report: every line was taken (a missing file is clean too).
  bool clean() const { return refused_lines.empty() && note.empty(); }

  // One line for the error reporter, e.g. "user: line 3 refused, and 2 more (7, 9); the
  // original is kept as user.rejected". Empty when clean.
  std::string text() const;
};

// The report of a file loaded from `path` whose lines `refused` (numbered from 1) were not
// taken. When there are any, the original text is written to `path` + kRejectedSuffix with
// `mode` (the mode of the file itself, so that a copy holding passwords is as private), so
// that the service's next write of the file loses nothing for good.
LoadReport settleLoad(const std::string& path, std::string_view file_name,
                      const std::string& original, std::vector<size_t> refused, unsigned mode);

}  // namespace gw
