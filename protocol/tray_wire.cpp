// Formatting and reading the notification socket's lines.
#include "protocol/tray_wire.h"

#include "common/line_file.h"

namespace gw {

std::string formatIconLine(const TrayDisplay& display) {
  return "ICON " + std::to_string(display.icon()) + " " + display.tip() + "\n";
}

std::string formatEventLine(int code) { return "EVENT " + std::to_string(code) + "\n"; }

std::string formatErrorLine(ResultCode code) {
  return "ERR " + std::to_string(static_cast<int>(code)) + "\n";
}

std::string formatExitLine() { return std::string(kExitRequest) + "\n"; }

bool parseTrayLine(std::string_view text, TrayLine* line) {
  if (text == kExitRequest) {
    *line = TrayLine{TrayLineKind::kExit, 0, {}};
    return true;
  }
  size_t blank = text.find(' ');
  if (blank == std::string_view::npos) return false;
  std::string_view word = text.substr(0, blank);
  std::string_view rest = text.substr(blank + 1);
  size_t second = rest.find(' ');
  long long number = 0;
  if (!parseWholeInt(rest.substr(0, second), &number) || number < 0 || number > 0x7FFFFFFF) {
    return false;
  }
  bool has_tip = second != std::string_view::npos;
  std::string_view tip = has_tip ? rest.substr(second + 1) : std::string_view();
  if (word == "ICON") {
    if (!isTrayIcon(static_cast<int>(number)) || tip.empty()) return false;
    *line = TrayLine{TrayLineKind::kIcon, static_cast<int>(number), std::string(tip)};
    return true;
  }
  if (has_tip) return false;
  if (word == "EVENT") {
    *line = TrayLine{TrayLineKind::kEvent, static_cast<int>(number), {}};
    return true;
  }
  if (word == "ERR") {
    *line = TrayLine{TrayLineKind::kError, static_cast<int>(number), {}};
    return true;
  }
  return false;
}

bool TrayLineBuffer::append(std::string_view bytes) {
  if (broken_) return false;
  pending_.append(bytes);
  // Every line, finished or not, must fit: a peer sending endless bytes is cut off here.
  size_t line_start = 0;
  for (size_t end = pending_.find('\n'); end != std::string::npos;
       end = pending_.find('\n', line_start)) {
    if (end - line_start > kMaxTrayLine) broken_ = true;
    line_start = end + 1;
  }
  if (pending_.size() - line_start > kMaxTrayLine) broken_ = true;
  return !broken_;
}

bool TrayLineBuffer::takeLine(std::string* line) {
  size_t end = pending_.find('\n');
  if (broken_ || end == std::string::npos) return false;
  *line = pending_.substr(0, end);
  pending_.erase(0, end + 1);
  return true;
}

}  // namespace gw
