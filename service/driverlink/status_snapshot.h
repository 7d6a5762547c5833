// The 14 status values of one service poll, each with the result code of its read.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "common/result_code.h"

namespace gw {

// Positions in the catalogue and the S<n> request numbers.
enum StatusIndex : int {
  STATUS_INVOLT = 0,
  STATUS_OUTVOLT = 1,
  STATUS_CAPACITY = 2,
  STATUS_LOAD = 3,
  STATUS_TEMP = 4,
  STATUS_FREQ = 5,
  STATUS_BACKUP = 6,
  STATUS_POWERFAIL = 7,
  STATUS_BATTERYLO = 8,
  STATUS_TEST = 9,
  STATUS_WAITSLEEP = 10,
  STATUS_WAITWAKEUP = 11,
  STATUS_CONNECT = 12,
  STATUS_BEEP = 13,
};
inline constexpr int kStatusCount = 14;

struct StatusSnapshot {
  struct Entry {
    ResultCode code = RC_OK;
    int32_t value = 0;  // the seven flags (7..13) hold 0 or 1
  };
  std::array<Entry, kStatusCount> entries{};

  const Entry& operator[](int i) const { return entries[static_cast<size_t>(i)]; }
  Entry& operator[](int i) { return entries[static_cast<size_t>(i)]; }
  bool ok(int i) const { return (*this)[i].code == RC_OK; }
  bool flag(int i) const { return ok(i) && (*this)[i].value != 0; }
  void clear() { entries = {}; }
};

}  // namespace gw
