// The numbers of the service's three logs, as "LOG KEY 0" and the other LOG requests carry them.
#pragma once

namespace gw {

enum LogKind : int {
  LOG_EVENT = 0,   // "event": event records
  LOG_SAVED = 1,   // "saved": the closer's list of saved files, sent whole
  LOG_STATUS = 2,  // "status": periodic status records
};
inline constexpr int kLogKindCount = 3;

// Whether a number from the wire names one of the logs. Requests for any other number are
// answered, but touch nothing.
constexpr bool isLogKind(int number) { return number >= 0 && number < kLogKindCount; }

}  // namespace gw
