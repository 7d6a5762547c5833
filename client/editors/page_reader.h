// Reading a page file from where the last read stopped, one page of lines at a time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace gw {

inline constexpr int kLinesPerPage = 50;

// Reads up to `max_lines` lines ended by a line feed, from byte `*offset` of the file, and
// moves *offset past them. A last line still without its line feed is being written and is
// left for the next read. A file that cannot be opened gives no lines and leaves *offset.
std::vector<std::string> readPage(const std::string& path, int64_t* offset,
                                  int max_lines = kLinesPerPage);

}  // namespace gw
