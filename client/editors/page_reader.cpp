// Page-by-page reads of the log page files.
#include "client/editors/page_reader.h"

#include <fstream>

namespace gw {

std::vector<std::string> readPage(const std::string& path, int64_t* offset, int max_lines) {
  std::vector<std::string> lines;
  std::ifstream in(path, std::ios::binary);
  if (!in) return lines;
  in.seekg(*offset);
  if (!in) return lines;
  int64_t position = *offset;
  std::string line;
  while (static_cast<int>(lines.size()) < max_lines && std::getline(in, line)) {
    if (in.eof()) break;  // no line feed yet
    position += static_cast<int64_t>(line.size()) + 1;
    lines.push_back(std::move(line));
  }
  *offset = position;
  return lines;
}

}  // namespace gw
