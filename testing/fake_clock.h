// A clock that only moves when a test moves it. sleepMs advances it, so code that sleeps runs
// instantly in tests.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/clock.h"

namespace gw {

class FakeClock : public Clock {
 public:
  // 2002-11-05 17:04:09 UTC: a fixed, recognisable start.
  static constexpr int64_t kDefaultStart = 1036515849000;

  explicit FakeClock(int64_t start_ms = kDefaultStart) : now_(start_ms) {}

  int64_t nowMs() const override { return now_.load(); }
  int64_t monotonicMs() const override { return now_.load() - kDefaultStart; }
  void sleepMs(int64_t ms) override {
    if (ms > 0) now_ += ms;
    sleeps_ += ms > 0 ? ms : 0;
  }

  void advance(int64_t ms) { now_ += ms; }
  void set(int64_t ms) { now_ = ms; }
  // Total milliseconds slept through sleepMs.
  int64_t slept() const { return sleeps_.load(); }

 private:
  std::atomic<int64_t> now_;
  std::atomic<int64_t> sleeps_{0};
};

}  // namespace gw
