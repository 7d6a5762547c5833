// Parsing loginctl's output and environment blocks.
#include "platform/posix/logind_text.h"

#include <cstdlib>

namespace gw::posix {
namespace {

std::vector<std::string_view> splitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    lines.push_back(text.substr(0, end));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

}  // namespace

std::vector<std::string> sessionIdsFromList(std::string_view text) {
  std::vector<std::string> ids;
  for (std::string_view line : splitLines(text)) {
    const size_t start = line.find_first_not_of(' ');
    if (start == std::string_view::npos) continue;
    const size_t end = line.find(' ', start);
    ids.emplace_back(line.substr(start, end == std::string_view::npos ? end : end - start));
  }
  return ids;
}

LoginSessionProperties sessionPropertiesFromText(std::string_view text) {
  LoginSessionProperties p;
  for (std::string_view line : splitLines(text)) {
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    const std::string_view key = line.substr(0, eq);
    const std::string value(line.substr(eq + 1));
    if (key == "Type") p.type = value;
    if (key == "Active") p.active = value == "yes";
    if (key == "Remote") p.remote = value != "no";
    if (key == "Class") p.session_class = value;
    if (key == "Display") p.display = value;
    if (key == "Name") p.name = value;
    if (key == "User" && !value.empty()) {
      char* end = nullptr;
      const long long uid = std::strtoll(value.c_str(), &end, 10);
      if (end && *end == '\0' && uid >= 0) p.uid = uid;
    }
  }
  return p;
}

bool isActiveLocalX11(const LoginSessionProperties& p) {
  return p.type == "x11" && p.active && !p.remote && p.session_class == "user" &&
         !p.display.empty() && p.uid >= 0;
}

std::string environmentValue(std::string_view block, std::string_view key) {
  while (!block.empty()) {
    const size_t end = block.find('\0');
    const std::string_view entry = block.substr(0, end);
    if (entry.size() > key.size() && entry.substr(0, key.size()) == key &&
        entry[key.size()] == '=') {
      return std::string(entry.substr(key.size() + 1));
    }
    if (end == std::string_view::npos) break;
    block.remove_prefix(end + 1);
  }
  return {};
}

}  // namespace gw::posix
