// Local-time texts: formatting and exact-separator parsing.
#include "common/time_text.h"

#include <cstdio>
#include <ctime>

namespace gw {
namespace {

std::tm localTm(int64_t ms) {
  // Floor division so that times before 1970 still land on the right second.
  int64_t secs = ms / 1000;
  if (ms % 1000 < 0) --secs;
  std::time_t t = static_cast<std::time_t>(secs);
  std::tm tm{};
  localtime_r(&t, &tm);
  return tm;
}

// Reads exactly `width` decimal digits at text[*pos].
bool digits(std::string_view text, size_t* pos, size_t width, int* out) {
  if (*pos + width > text.size()) return false;
  int v = 0;
  for (size_t i = 0; i < width; ++i) {
    char c = text[*pos + i];
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  *pos += width;
  *out = v;
  return true;
}

bool literal(std::string_view text, size_t* pos, char c) {
  if (*pos >= text.size() || text[*pos] != c) return false;
  ++*pos;
  return true;
}

bool parseTime(std::string_view text, bool with_weekday, int64_t* ms) {
  size_t p = 0;
  LocalTime t;
  int weekday = 0;
  if (!digits(text, &p, 4, &t.year) || !literal(text, &p, '/') || !digits(text, &p, 2, &t.month) ||
      !literal(text, &p, '/') || !digits(text, &p, 2, &t.day) || !literal(text, &p, ' ')) {
    return false;
  }
  if (with_weekday && (!digits(text, &p, 1, &weekday) || weekday > 6 || !literal(text, &p, ' '))) {
    return false;
  }
  if (!digits(text, &p, 2, &t.hour) || !literal(text, &p, ':') || !digits(text, &p, 2, &t.minute) ||
      !literal(text, &p, ':') || !digits(text, &p, 2, &t.second) || p != text.size()) {
    return false;
  }
  if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31 || t.hour > 23 || t.minute > 59 ||
      t.second > 60) {
    return false;
  }
  return fromLocalTime(t, ms);
}

}  // namespace

LocalTime toLocalTime(int64_t ms) {
  std::tm tm = localTm(ms);
  LocalTime t;
  t.year = tm.tm_year + 1900;
  t.month = tm.tm_mon + 1;
  t.day = tm.tm_mday;
  t.weekday = tm.tm_wday;
  t.hour = tm.tm_hour;
  t.minute = tm.tm_min;
  t.second = tm.tm_sec;
  return t;
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

std::string formatWireTime(int64_t ms) {
  std::tm tm = localTm(ms);
  char buf[48];
  std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %d %02d:%02d:%02d", tm.tm_year + 1900,
                tm.tm_mon + 1, tm.tm_mday, tm.tm_wday, tm.tm_hour, tm.tm_min, tm.tm_sec);
  return buf;
}

std::string formatLogTime(int64_t ms) {
  std::tm tm = localTm(ms);
  char buf[48];
  std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %02d:%02d:%02d", tm.tm_year + 1900,
                tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
  return buf;
}

bool parseWireTime(std::string_view text, int64_t* ms) { return parseTime(text, true, ms); }
bool parseLogTime(std::string_view text, int64_t* ms) { return parseTime(text, false, ms); }

}  // namespace gw
