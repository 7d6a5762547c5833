// Local time through the C library's reentrant conversions, in the zone TZ names.
#include <ctime>

#include "platform/local_time.h"

namespace gw {

LocalTime toLocalTime(int64_t ms) {
  // Floor division so that times before 1970 still land on the right second.
  int64_t secs = ms / 1000;
  if (ms % 1000 < 0) --secs;
  std::time_t t = static_cast<std::time_t>(secs);
  std::tm tm{};
  localtime_r(&t, &tm);
  LocalTime local;
  local.year = tm.tm_year + 1900;
  local.month = tm.tm_mon + 1;
  local.day = tm.tm_mday;
  local.weekday = tm.tm_wday;
  local.hour = tm.tm_hour;
  local.minute = tm.tm_min;
  local.second = tm.tm_sec;
  return local;
}

bool fromLocalTime(const LocalTime& t, int64_t* ms) {
  std::tm tm{};
  tm.tm_year = t.year - 1900;
  tm.tm_mon = t.month - 1;
  tm.tm_mday = t.day;
  tm.tm_hour = t.hour;
  tm.tm_min = t.minute;
  tm.tm_sec = t.second;
  tm.tm_isdst = -1;
  tm.tm_wday = -1;  // mktime fills it on success, so it tells a failure from the second before 1970
  std::time_t secs = std::mktime(&tm);
  if (tm.tm_wday < 0) return false;
  *ms = static_cast<int64_t>(secs) * 1000;
  return true;
}

}  // namespace gw
