// Choices the editing windows remember from one opening to the next, for the run of the
// program.
#pragma once

#include "protocol/log_kind.h"

namespace gw {

inline constexpr int kDefaultSelfTestLength = 10;  // seconds

struct RunMemory {
  bool self_test_running = false;  // one flag for the whole program
  int self_test_length = kDefaultSelfTestLength;
  int log_page = LOG_EVENT;        // the page the log window shows first
  bool schedule_weekly = false;    // "Weekly Setting" rather than "Special Setting"
  bool turn_on_dated = false;      // "Turn On" of the dated page
  bool turn_on_weekly = false;     // "Turn On" of the weekly page
};

}  // namespace gw
