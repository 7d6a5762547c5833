// Schedule item text and calendar advancing.
#include "service/schedule/schedule_item.h"

#include <charconv>
#include <limits>

#include "common/time_text.h"

namespace gw {
namespace {

constexpr int64_t kDayMs = 86400000;
constexpr size_t kWireTimeLength = sizeof("2002/11/05 2 17:04:09") - 1;

void skipBlanks(std::string_view text, size_t* pos) {
  while (*pos < text.size() && (text[*pos] == ' ' || text[*pos] == '\t' || text[*pos] == '\r')) {
    ++*pos;
  }
}

bool readInt(std::string_view text, size_t* pos, int32_t* out) {
  skipBlanks(text, pos);
  size_t p = *pos;
  if (p < text.size() && text[p] == '+') ++p;
  int32_t value = 0;
  auto [ptr, ec] = std::from_chars(text.data() + p, text.data() + text.size(), value);
  if (ec != std::errc()) return false;
  *pos = static_cast<size_t>(ptr - text.data());
  *out = value;
  return true;
}

bool readTime(std::string_view text, size_t* pos, int64_t* out) {
  skipBlanks(text, pos);
  if (text.size() - *pos < kWireTimeLength) return false;
  if (!parseWireTime(text.substr(*pos, kWireTimeLength), out)) return false;
  *pos += kWireTimeLength;
  return true;
}

// The moment `days` calendar days after `ms`, at the same local wall-clock time, so that a daily
// item keeps its hour across a change of summer time. Falls back to whole 24-hour days when the
// local time cannot be built.
int64_t addLocalDays(int64_t ms, int64_t days) {
  int64_t sub_second = ms % 1000;
  if (sub_second < 0) sub_second += 1000;
  LocalTime t = toLocalTime(ms);
  if (days < std::numeric_limits<int>::max() - 31) {
    t.day += static_cast<int>(days);
    int64_t result = 0;
    if (fromLocalTime(t, &result)) return result + sub_second;
  }
  return ms + days * kDayMs;
}

}  // namespace

std::string ScheduleItem::text() const {
  std::string out = std::to_string(repeat);
  out.push_back(' ');
  out.append(std::to_string(action));
  out.push_back(' ');
  out.append(formatWireTime(start));
  out.push_back(' ');
  out.append(formatWireTime(end));
  return out;
}

bool ScheduleItem::parse(std::string_view line, ScheduleItem* out) {
  ScheduleItem item;
  size_t pos = 0;
  if (!readInt(line, &pos, &item.repeat) || !readInt(line, &pos, &item.action) ||
      !readTime(line, &pos, &item.start) || !readTime(line, &pos, &item.end)) {
    return false;
  }
  *out = item;
  return true;
}

bool ScheduleItem::advancePast(int64_t now_ms) {
  if (!repeats()) return false;
  if (repeat == REPEAT_DAILY || repeat == REPEAT_WEEKLY) {
    int64_t step_days = repeat == REPEAT_DAILY ? 1 : 7;
    // Jump close to now first, so an item left years behind does not walk there day by day.
    int64_t steps = 0;
    if (start <= now_ms) steps = (now_ms - start) / (step_days * kDayMs);
    if (steps > 1) --steps;  // summer time may make the estimate overshoot by one
    int64_t base_start = start;
    int64_t next = steps > 0 ? addLocalDays(base_start, steps * step_days) : start;
    while (next <= now_ms) next = addLocalDays(base_start, ++steps * step_days);
    start = next;
    end = addLocalDays(end, steps * step_days);
    // An end that lay before its start would otherwise never catch up. It moves in strides of
    // the weeks the start moved, as many as it takes; the count is worked out, not walked,
    // since an end typed centuries early would cost a stride per loop.
    if (repeat == REPEAT_WEEKLY && steps > 0 && end < start) {
      int64_t stride_days = steps * step_days;
      int64_t strides = (start - end) / (stride_days * kDayMs);
      if (strides > 0) --strides;  // summer time may make the estimate overshoot by one
      int64_t base_end = end;
      int64_t next_end = addLocalDays(base_end, strides * stride_days);
      while (next_end < start) next_end = addLocalDays(base_end, ++strides * stride_days);
      end = next_end;
    }
    return true;
  }
  // Monthly: the next day after now that has the start's day of the month, then the same for
  // the end, no earlier than the new start.
  int start_day = toLocalTime(start).day;
  int end_day = toLocalTime(end).day;
  int64_t base_start = start;
  int64_t days = 0;
  if (start <= now_ms) days = (now_ms - start) / kDayMs - 1;
  if (days < 0) days = 0;
  int64_t next = addLocalDays(base_start, days);
  while (next <= now_ms || toLocalTime(next).day != start_day) next = addLocalDays(base_start, ++days);
  start = next;
  int64_t base_end = end;
  int64_t end_days = 0;
  if (end <= start) end_days = (start - end) / kDayMs - 1;
  if (end_days < 0) end_days = 0;
  int64_t next_end = addLocalDays(base_end, end_days);
  while (next_end <= now_ms || next_end < start || toLocalTime(next_end).day != end_day) {
    next_end = addLocalDays(base_end, ++end_days);
  }
  end = next_end;
  return true;
}

}  // namespace gw
