// Time source. Logic takes a Clock& so that tests can step time by hand (testing/fake_clock.h).
#pragma once

#include <cstdint>

namespace gw {

class Clock {
 public:
  Clock() = default;
  Clock(const Clock&) = delete;
  Clock& operator=(const Clock&) = delete;
  virtual ~Clock() = default;

  // Milliseconds since 1970-01-01 UTC from the system clock.
  virtual int64_t nowMs() const = 0;
  // Milliseconds from an arbitrary start that never goes backwards.
  virtual int64_t monotonicMs() const = 0;
  // Blocks the calling thread. A fake clock advances its time instead.
  virtual void sleepMs(int64_t ms) = 0;
};

// The process's real clock; it has no state, so one instance may be shared by every thread.
Clock& systemClock();

}  // namespace gw
