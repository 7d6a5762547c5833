// Schedule item parsing and layout.
#include "tools/monctl/schedule_text.h"

#include <array>
#include <cstdint>

#include "common/line_file.h"
#include "common/time_text.h"

namespace gw {
namespace {

constexpr size_t kWireTimeLength = 21;  // "2002/11/05 2 17:04:09"
constexpr std::array<std::string_view, 7> kWeekdays = {"Sun", "Mon", "Tue", "Wed",
                                                       "Thu", "Fri", "Sat"};

std::string repeatName(long long repeat) {
  switch (repeat) {
    case 2:
      return "daily";
    case 3:
      return "weekly";
    case 4:
      return "monthly";
    default:
      return "once";
  }
}

// "2002/11/05 Tue 22:30:00" from the wire form; the weekday as the service wrote it.
std::string readableTime(std::string_view wire) {
  return std::string(wire.substr(0, 10)) + " " +
         std::string(kWeekdays[static_cast<size_t>(wire[11] - '0')]) + " " +
         std::string(wire.substr(13));
}

bool takeNumber(std::string_view* rest, long long* value) {
  size_t blank = rest->find(' ');
  if (blank == std::string_view::npos || !parseWholeInt(rest->substr(0, blank), value)) {
    return false;
  }
  rest->remove_prefix(blank + 1);
  return true;
}

}  // namespace

std::string scheduleHeader() { return "repeat   start                    action"; }

std::string formatScheduleItem(std::string_view item) {
  std::string_view rest = item;
  long long repeat = 0;
  long long action = 0;
  int64_t start_ms = 0;
  int64_t end_ms = 0;
  if (!takeNumber(&rest, &repeat) || !takeNumber(&rest, &action) ||
      rest.size() != 2 * kWireTimeLength + 1 || rest[kWireTimeLength] != ' ' ||
      !parseWireTime(rest.substr(0, kWireTimeLength), &start_ms) ||
      !parseWireTime(rest.substr(kWireTimeLength + 1), &end_ms)) {
    return std::string(item);
  }
  std::string start = readableTime(rest.substr(0, kWireTimeLength));
  std::string end = readableTime(rest.substr(kWireTimeLength + 1));
  std::string line = repeatName(repeat);
  line.resize(9, ' ');
  line += start + "  ";
  switch (action) {
    case 1:
      line += "shut down";
      break;
    case 2:
      line += "shut down, UPS output back on " + end;
      break;
    case 3:
      line += "self-test until " + end + " (" + std::to_string((end_ms - start_ms) / 1000) + " s)";
      break;
    default:
      line += "nothing (action " + std::to_string(action) + ")";
      break;
  }
  return line;
}

}  // namespace gw
