// Line and entry splitting for the settings files.
#include "common/line_file.h"

#include <charconv>
#include <limits>

namespace gw {

std::vector<std::string> splitLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    size_t next = end == std::string_view::npos ? text.size() : end + 1;
    if (end == std::string_view::npos) end = text.size();
    size_t stop = end > start && text[end - 1] == '\r' ? end - 1 : end;
    lines.emplace_back(text.substr(start, stop - start));
    start = next;
  }
  return lines;
}

std::string joinLines(const std::vector<std::string>& lines) {
  std::string out;
  for (const auto& line : lines) {
    out += line;
    out += '\n';
  }
  return out;
}

bool splitKeyValue(std::string_view line, std::string_view* key, std::string_view* value) {
  size_t eq = line.find('=');
  if (eq == std::string_view::npos) return false;
  *key = line.substr(0, eq);
  *value = line.substr(eq + 1);
  return true;
}

bool parseWholeInt(std::string_view text, long long* out) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return false;
  long long v = 0;
  auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || ptr != text.data() + text.size()) return false;
  *out = v;
  return true;
}

long long parseLeadingInt(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
    negative = text[i] == '-';
    ++i;
  }
  long long v = 0;
  constexpr long long kLimit = std::numeric_limits<long long>::max() / 10 - 1;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
    if (v < kLimit) v = v * 10 + (text[i] - '0');
    ++i;
  }
  return negative ? -v : v;
}

}  // namespace gw
