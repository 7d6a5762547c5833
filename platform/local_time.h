// The process's local time zone: conversion between milliseconds since 1970-01-01 UTC and the
// broken-down local time that the log, schedule and wire texts are written in.
#pragma once

#include <cstdint>

namespace gw {

struct LocalTime {
  int year = 1970;  // four digits
  int month = 1;    // 1..12
  int day = 1;      // 1..31
  int weekday = 4;  // 0 = Sunday
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// The local time of a moment, to the whole second (times before 1970 round down).
LocalTime toLocalTime(int64_t ms_since_epoch);

// The moment of a local time, in whole seconds. Normalises out-of-range fields the way the C
// library does (day 32 rolls into the next month); the weekday field is ignored. False when
// the time cannot be represented, with *ms_since_epoch untouched.
[[nodiscard]] bool fromLocalTime(const LocalTime& t, int64_t* ms_since_epoch);

}  // namespace gw
