// The 14 status values by number: the S<n> requests of the driver pipe, the positions of the
// STATUS_* device variables, and the entries of a status poll.
#pragma once

namespace gw {

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

}  // namespace gw
