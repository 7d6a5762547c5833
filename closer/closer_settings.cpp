// Parsing the closer's switches and settling its two paths.
#include "closer/closer_settings.h"

#include <filesystem>
#include <system_error>

#include "platform/file_system.h"

namespace gw {
namespace {

// Paths are full of '/', so only a '/' that starts a word and is followed by one character and
// a blank opens a switch.
bool switchAt(std::string_view line, size_t i) {
  if (line[i] != '/' || i + 2 >= line.size()) return false;
  if (i > 0 && line[i - 1] != ' ') return false;
  return line[i + 2] == ' ';
}

std::string withoutQuotes(std::string_view value) {
  std::string out;
  for (char c : value) {
    if (c != '"') out += c;
  }
  return out;
}

}  // namespace

CloserSwitches parseCloserCommandLine(std::string_view line) {
  CloserSwitches out;
  size_t i = 0;
  while (i < line.size() && !switchAt(line, i)) ++i;
  while (i < line.size()) {
    const char letter = line[i + 1];
    const size_t value_start = i + 3;
    size_t end = value_start;
    while (end < line.size() && !switchAt(line, end)) ++end;
    const std::string_view value = line.substr(value_start, end - value_start);
    if (letter == 'L') out.log_path = withoutQuotes(value);
    if (letter == 'S') out.save_folder = withoutQuotes(value);
    i = end;
  }
  return out;
}

CloserSettings settleCloserSettings(const CloserSwitches& switches, const std::string& program_dir,
                                    const std::string& home_dir) {
  CloserSettings s;
  s.log_path = switches.log_path ? *switches.log_path : joinPath(program_dir, "saved");
  if (switches.save_folder) {
    s.save_folder = *switches.save_folder;
  } else {
    s.save_folder = joinPath(home_dir, "PCTemp");
    s.save_folder_is_default = true;
  }
  return s;
}

void createDefaultSaveFolder(const CloserSettings& settings) {
  if (!settings.save_folder_is_default) return;
  std::error_code ec;
  std::filesystem::create_directory(settings.save_folder, ec);
}

}  // namespace gw
