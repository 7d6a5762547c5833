// Schedule rows, item lines and the weekday arithmetic between them.
#include "client/editors/schedule_rows.h"

#include <algorithm>

#include "common/line_file.h"
#include "common/time_text.h"

namespace gw {
namespace {

// Reads "digits" followed by `separator` (or by the end when separator is 0).
bool takeField(std::string_view* rest, char separator, int* value) {
  size_t end = separator ? rest->find(separator) : rest->size();
  if (end == std::string_view::npos || end == 0) return false;
  long long n = 0;
  if (!parseWholeInt(rest->substr(0, end), &n) || n < 0 || n > 9999) return false;
  *value = static_cast<int>(n);
  rest->remove_prefix(separator ? end + 1 : end);
  return true;
}

bool parseClock(std::string_view text, int* hour, int* minute) {
  return takeField(&text, ':', hour) && takeField(&text, 0, minute) && *hour < 24 &&
         *minute < 60;
}

bool parseDated(std::string_view text, DatedTime* t) {
  size_t blank = text.find(' ');
  if (blank == std::string_view::npos) return false;
  std::string_view date = text.substr(0, blank);
  return takeField(&date, '/', &t->year) && takeField(&date, '/', &t->month) &&
         takeField(&date, 0, &t->day) && parseClock(text.substr(blank + 1), &t->hour, &t->minute);
}

bool parseWeekly(std::string_view text, int* weekday, int* hour, int* minute) {
  size_t blank = text.find(' ');
  if (blank == std::string_view::npos) return false;
  auto it = std::find(kWeekdayNames.begin(), kWeekdayNames.end(), text.substr(0, blank));
  if (it == kWeekdayNames.end()) return false;
  *weekday = static_cast<int>(it - kWeekdayNames.begin());
  return parseClock(text.substr(blank + 1), hour, minute);
}

bool datedMs(const DatedTime& t, int64_t* ms) {
  LocalTime local;
  local.year = t.year;
  local.month = t.month;
  local.day = t.day;
  local.hour = t.hour;
  local.minute = t.minute;
  return fromLocalTime(local, ms);
}

// The first moment at hour:minute on `weekday`, counting from the date of `from_ms`.
bool nextOnWeekday(int64_t from_ms, int weekday, int hour, int minute, int64_t* ms) {
  LocalTime day = toLocalTime(from_ms);
  day.day += (weekday - day.weekday + 7) % 7;
  day.hour = hour;
  day.minute = minute;
  day.second = 0;
  return fromLocalTime(day, ms);
}

}  // namespace

std::string scheduleLineText(const ScheduleEntry& line) {
  return std::to_string(line.repeat) + ' ' + std::to_string(line.action) + ' ' +
         formatWireTime(line.start_ms) + ' ' + formatWireTime(line.end_ms);
}

bool isListedItem(const ScheduleEntry& line) {
  return (line.repeat == kRepeatDated || line.repeat == kRepeatWeekly) &&
         (line.action == kActionTurnOff || line.action == kActionTurnOffAndOn);
}

int scheduleYearHigh(int64_t now_ms) { return std::max(2020, toLocalTime(now_ms).year + 20); }

ClockFields clockFields(int64_t ms) {
  LocalTime t = toLocalTime(ms);
  ClockFields f;
  f.year = t.year;
  f.month = t.month;
  f.day = t.day;
  f.weekday = t.weekday;
  f.pm = t.hour >= 12;
  f.hour12 = t.hour % 12 == 0 ? 12 : t.hour % 12;
  f.minute = t.minute;
  return f;
}

int hour24(int hour12, bool pm) { return (hour12 == 12 ? 0 : hour12) + (pm ? 12 : 0); }

std::string datedText(const DatedTime& t) {
  return std::to_string(t.year) + '/' + std::to_string(t.month) + '/' + std::to_string(t.day) +
         ' ' + std::to_string(t.hour) + ':' + std::to_string(t.minute);
}

std::string weeklyText(int weekday, int hour, int minute) {
  return std::string(kWeekdayNames[static_cast<size_t>(weekday % 7)]) + ' ' +
         std::to_string(hour) + ':' + std::to_string(minute);
}

std::optional<std::string> itemRow(const ScheduleEntry& line) {
  if (!isListedItem(line)) return std::nullopt;
  auto part = [&](int64_t ms) {
    LocalTime t = toLocalTime(ms);
    if (line.repeat == kRepeatWeekly) return weeklyText(t.weekday, t.hour, t.minute);
    return datedText({t.year, t.month, t.day, t.hour, t.minute});
  };
  std::string row = part(line.start_ms);
  if (line.action == kActionTurnOffAndOn) row += " - " + part(line.end_ms);
  return row;
}

std::optional<std::string> rowLine(std::string_view row, int64_t now_ms) {
  std::string_view off = row;
  std::string_view on;
  if (size_t dash = row.find(" - "); dash != std::string_view::npos) {
    off = row.substr(0, dash);
    on = row.substr(dash + 3);
  }
  ScheduleEntry line;
  line.action = on.empty() ? kActionTurnOff : kActionTurnOffAndOn;
  if (!off.empty() && off.front() >= '0' && off.front() <= '9') {
    line.repeat = kRepeatDated;
    DatedTime t;
    if (!parseDated(off, &t) || !datedMs(t, &line.start_ms)) return std::nullopt;
    line.end_ms = line.start_ms;
    if (!on.empty() && (!parseDated(on, &t) || !datedMs(t, &line.end_ms))) return std::nullopt;
    return scheduleLineText(line);
  }
  line.repeat = kRepeatWeekly;
  int weekday = 0;
  int hour = 0;
  int minute = 0;
  if (!parseWeekly(off, &weekday, &hour, &minute) ||
      !nextOnWeekday(now_ms, weekday, hour, minute, &line.start_ms)) {
    return std::nullopt;
  }
  line.end_ms = line.start_ms;
  if (!on.empty()) {
    if (!parseWeekly(on, &weekday, &hour, &minute) ||
        !nextOnWeekday(line.start_ms, weekday, hour, minute, &line.end_ms)) {
      return std::nullopt;
    }
    if (line.end_ms <= line.start_ms) {
      LocalTime later = toLocalTime(line.end_ms);
      later.day += 7;
      if (!fromLocalTime(later, &line.end_ms)) return std::nullopt;
    }
  }
  return scheduleLineText(line);
}

}  // namespace gw
