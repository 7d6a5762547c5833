// The text lines of the service's notification socket. Every line is ASCII ended by a line
// feed; a line of more than kMaxTrayLine bytes is a broken peer.
//
// From the service, to every subscriber:
//   ICON <icon> <tip>   first, once: what the tray shows now (icon 120, 116, 117 or 118)
//   EVENT <code>        then one line per detected event, in the order they happened
//   ERR <code>          the answer to a request that was refused (33) or not understood (31)
// From a subscriber:
//   EXIT                stop the service, as its stop signal does; only its own user or root
#pragma once

#include <string>
#include <string_view>

#include "common/result_code.h"
#include "protocol/tray_display.h"

namespace gw {

// The socket's name in the service's data directory.
inline constexpr std::string_view kNotifySocketName = "notify";

inline constexpr size_t kMaxTrayLine = 128;
inline constexpr std::string_view kExitRequest = "EXIT";

enum class TrayLineKind { kIcon, kEvent, kError, kExit };

struct TrayLine {
  TrayLineKind kind = TrayLineKind::kExit;
  int number = 0;    // the icon, the event code or the error code
  std::string tip;   // kIcon only
};

// Each with its line feed.
std::string formatIconLine(const TrayDisplay& display);
std::string formatEventLine(int code);
std::string formatErrorLine(ResultCode code);
std::string formatExitLine();

// Reads one line without its line feed. False for anything else, *line untouched: an unknown
// word, a number that is not a whole decimal, an ICON line with an unknown icon or no tip.
[[nodiscard]] bool parseTrayLine(std::string_view text, TrayLine* line);

// Collects received bytes into lines.
class TrayLineBuffer {
 public:
  // Adds received bytes. False once the unfinished line is longer than kMaxTrayLine; the
  // buffer then stays broken.
  [[nodiscard]] bool append(std::string_view bytes);
  // Takes the oldest complete line, without its line feed. False when none is complete, or
  // when the buffer is broken.
  [[nodiscard]] bool takeLine(std::string* line);
  bool broken() const { return broken_; }

 private:
  std::string pending_;
  bool broken_ = false;
};

}  // namespace gw
