// The closer's main flow: every visible application window is closed on a thread of its own,
// at most ten at a time, and the run ends when all of them are done.
#pragma once

#include "closer/closer_settings.h"
#include "closer/desktop.h"
#include "platform/clock.h"

namespace gw {

class Sweeper {
 public:
  static constexpr int kMaxParallel = 10;

  // `desktop` and `clock` must outlive the sweeper.
  Sweeper(Desktop& desktop, Clock& clock, CloserSettings settings);
  Sweeper(const Sweeper&) = delete;
  Sweeper& operator=(const Sweeper&) = delete;

  // Closes the desktop's top-level windows and returns the exit code, always 0: a window that
  // could not be closed is given up and the others carry on. Returns at once when there are no
  // windows. Blocks until every window thread has ended.
  int run();

 private:
  Desktop& desktop_;
  Clock& clock_;
  const CloserSettings settings_;
};

}  // namespace gw
