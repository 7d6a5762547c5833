// One planned shutdown or self-test, and its text form in the "schedule" file and the
// "SCH GET" / "SCH SET" texts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace gw {

inline constexpr int32_t REPEAT_DAILY = 2;
inline constexpr int32_t REPEAT_WEEKLY = 3;
inline constexpr int32_t REPEAT_MONTHLY = 4;  // any other value: once

inline constexpr int32_t SCHEDULE_SHUTDOWN = 1;          // shut the system down
inline constexpr int32_t SCHEDULE_SHUTDOWN_RESTART = 2;  // ... and restart the UPS output at end
inline constexpr int32_t SCHEDULE_SELFTEST = 3;          // self-test from start to end
// Any other action does nothing when due.

struct ScheduleItem {
  int32_t repeat = 0;
  int32_t action = 0;
  int64_t start = 0;  // ms since 1970 UTC: when the item is due
  int64_t end = 0;    // ms since 1970 UTC: turn-on time or end of the self-test

  bool repeats() const {
    return repeat == REPEAT_DAILY || repeat == REPEAT_WEEKLY || repeat == REPEAT_MONTHLY;
  }

  // "2 2 2002/11/05 2 22:30:00 2002/11/06 3 07:00:00": repeat, action, start, end, the times in
  // the wire form of common/time_text.h (local time).
  std::string text() const;

  // Reads the text form from the start of `line`: blanks before each field are skipped, the
  // numbers are signed 32-bit decimal, each time is the exact wire form (the weekday digit is
  // ignored, the date decides). Whatever follows the end time is ignored. `out` is written only
  // on success.
  [[nodiscard]] static bool parse(std::string_view line, ScheduleItem* out);

  // Moves a repeating item's start to its first occurrence after `now_ms`, and its end along
  // with it, keeping the local wall-clock time: daily and weekly by whole days and weeks,
  // monthly to the next month that has the start's day of the month (the 31st of January goes
  // to the 31st of March). Returns false, changing nothing, for a one-time item.
  bool advancePast(int64_t now_ms);

  bool operator==(const ScheduleItem&) const = default;
};

}  // namespace gw
