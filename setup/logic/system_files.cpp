// Unit and desktop entry texts, with each format's quoting of the paths they carry.
#include "setup/logic/system_files.h"

#include <vector>

namespace gw::setup {
namespace {

constexpr const char* kMenuCategory = "X-Norvane-GridwatchPlus";

// A unit file word: quoted when it holds blanks; '%' (specifiers) and '$' (variables) doubled.
std::string unitWord(const std::string& word) {
  std::string out;
  bool quote = word.find_first_of(" \t\"\\") != std::string::npos;
  for (char c : word) {
    if (c == '%' || c == '$') out += c;
    if (quote && (c == '"' || c == '\\')) out += '\\';
    out += c;
  }
  return quote ? "\"" + out + "\"" : out;
}

// One argument of a desktop entry's Exec key: quoted when it holds a reserved character, then
// escaped as a string value ('\' doubled) with '%' doubled as the field-code escape.
std::string execArgument(const std::string& arg) {
  const char* reserved = " \t\n\"'\\><~|&;$*?#()`";
  std::string quoted;
  bool quote = arg.find_first_of(reserved) != std::string::npos;
  for (char c : arg) {
    if (quote && (c == '"' || c == '`' || c == '$' || c == '\\')) quoted += '\\';
    quoted += c;
  }
  if (quote) quoted = "\"" + quoted + "\"";
  std::string out;
  for (char c : quoted) {
    if (c == '\\') out += '\\';
    if (c == '%') out += '%';
    out += c;
  }
  return out;
}

// "monsvc -start" in `folder`: the program's full path, then its arguments.
std::vector<std::string> commandWords(const std::string& folder, const std::string& command) {
  std::vector<std::string> words;
  size_t start = 0;
  while (start <= command.size()) {
    size_t blank = command.find(' ', start);
    if (blank == std::string::npos) blank = command.size();
    if (blank > start) words.push_back(command.substr(start, blank - start));
    start = blank + 1;
  }
  if (!words.empty()) words[0] = folder + "/" + words[0];
  return words;
}

}  // namespace

std::string serviceUnitText(const std::string& folder) {
  return std::string("[Unit]\n") + "Description=" + kServiceDisplayName + "\n" +
         "\n[Service]\n" + "Type=notify\n" +
         "ExecStart=" + unitWord(folder + "/monsvc") + "\n" +
         "WorkingDirectory=" + unitWord(folder) + "\n" +
         // Quoted as one assignment: unquoted, the blank would end the value after "systemctl".
         "Environment=\"GRIDWATCH_SHUTDOWN_COMMAND=systemctl poweroff\"\n" +
         // A monitor that died leaves the machine unprotected.
         "Restart=on-failure\n" + "\n[Install]\n" + "WantedBy=multi-user.target\n";
}

std::string desktopEntryText(const MenuItem& item, const std::string& folder, bool in_menu) {
  std::string exec;
  for (const std::string& word : commandWords(folder, item.command)) {
    if (!exec.empty()) exec += ' ';
    exec += execArgument(word);
  }
  std::string text = "[Desktop Entry]\nType=Application\nVersion=1.0\n";
  text += std::string("Name=") + item.name + "\n";
  text += "Exec=" + exec + "\n";
  text += "Path=" + folder + "\n";
  text += "Terminal=false\n";
  if (in_menu) text += std::string("Categories=") + kMenuCategory + ";\n";
  return text;
}

std::string menuFileText() {
  return std::string(
             "<!DOCTYPE Menu PUBLIC \"-//freedesktop//DTD Menu 1.0//EN\"\n"
             " \"http://www.freedesktop.org/standards/menu-spec/menu-1.0.dtd\">\n"
             "<Menu>\n  <Name>Applications</Name>\n  <Menu>\n    <Name>") +
         kMenuName + "</Name>\n    <Directory>" + kMenuFileId +
         ".directory</Directory>\n    <Include>\n      <Category>" + kMenuCategory +
         "</Category>\n    </Include>\n  </Menu>\n</Menu>\n";
}

std::string menuDirectoryText() {
  return std::string("[Desktop Entry]\nType=Directory\nVersion=1.0\nName=") + kMenuName + "\n";
}

}  // namespace gw::setup
