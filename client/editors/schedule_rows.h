// The schedule window's rows and the item lines they stand for: "2003/1/1 9:0 - 2003/1/1 9:1"
// for a dated item, "Friday 22:0 - Monday 6:0" for a weekly one (24-hour clock, no leading
// zeros; " - " and the turn-on time only when the item turns the system on again).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "client/session/session_cache.h"

namespace gw {

inline constexpr int kRepeatDated = 1;   // done once
inline constexpr int kRepeatWeekly = 3;
inline constexpr int kActionTurnOff = 1;
inline constexpr int kActionTurnOffAndOn = 2;

inline constexpr std::array<const char*, 7> kWeekdayNames = {
    "Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

inline constexpr int kScheduleYearLow = 2002;

// The item line of an entry: "repeat action start end", the times in the wire form.
std::string scheduleLineText(const ScheduleEntry& entry);

// Whether the window lists the item: dated or weekly, turning off or off and on again.
bool isListedItem(const ScheduleEntry& line);

// The upper bound of the year fields: twenty years past the year of `now_ms`, and never
// before 2020.
int scheduleYearHigh(int64_t now_ms);

// A time as the fields show it: the 12-hour clock with "AM" or "PM".
struct ClockFields {
  int year = 0;
  int month = 0;
  int day = 0;
  int weekday = 0;
  int hour12 = 12;
  bool pm = false;
  int minute = 0;
};
ClockFields clockFields(int64_t ms);
// 12 AM is hour 0, 12 PM hour 12, 1 PM hour 13.
int hour24(int hour12, bool pm);

// A turn-off or turn-on time of a dated row, in local time.
struct DatedTime {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  auto operator<=>(const DatedTime&) const = default;  // year, month, day, hour, minute
};
std::string datedText(const DatedTime& t);
std::string weeklyText(int weekday, int hour, int minute);

// The row of a listed item; empty for one the window does not list.
std::optional<std::string> itemRow(const ScheduleEntry& line);

// The item line of a row. A weekly row's turn-off is the next date on its weekday counting
// today (`now_ms`), its turn-on the next date on that weekday after the turn-off. An item that
// only turns off carries its start as its end. Empty when the row does not read.
std::optional<std::string> rowLine(std::string_view row, int64_t now_ms);

}  // namespace gw
