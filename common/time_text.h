// Local-time texts of the wire, the schedule file and the log files.
//
// Wire form:  "2002/11/05 2 17:04:09"  (year/month/day, weekday digit with 0 = Sunday, time)
// Log form:   "2002/07/15 13:05:09"
// Times are milliseconds since 1970-01-01 UTC; the texts are in the process's local time zone.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// LocalTime, toLocalTime and fromLocalTime, for the schedule's calendar arithmetic.
#include "platform/local_time.h"

namespace gw {

std::string formatWireTime(int64_t ms_since_epoch);
std::string formatLogTime(int64_t ms_since_epoch);

// Reads the wire form back. The separators must be exactly those written; the weekday digit must
// be 0..6 but is not checked against the date (the date decides). Returns false on any mismatch
// and leaves *ms untouched. The result has whole seconds.
[[nodiscard]] bool parseWireTime(std::string_view text, int64_t* ms);

// Reads the log form back, with the same rules.
[[nodiscard]] bool parseLogTime(std::string_view text, int64_t* ms);

}  // namespace gw
