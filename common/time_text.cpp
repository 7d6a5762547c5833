// Local-time texts: formatting and exact-separator parsing.
#include "common/time_text.h"

#include <cstdio>

namespace gw {
namespace {

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

std::string formatWireTime(int64_t ms) {
  LocalTime t = toLocalTime(ms);
  char buf[48];
  std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %d %02d:%02d:%02d", t.year, t.month, t.day,
                t.weekday, t.hour, t.minute, t.second);
  return buf;
}

std::string formatLogTime(int64_t ms) {
  LocalTime t = toLocalTime(ms);
  char buf[48];
  std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %02d:%02d:%02d", t.year, t.month, t.day,
                t.hour, t.minute, t.second);
  return buf;
}

bool parseWireTime(std::string_view text, int64_t* ms) { return parseTime(text, true, ms); }
bool parseLogTime(std::string_view text, int64_t* ms) { return parseTime(text, false, ms); }

}  // namespace gw
