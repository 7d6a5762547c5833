// An instance marker whose holder leaves a set time after it was asked to close (on the clock
// the code under test sleeps on), or never.
#pragma once

#include <cstdint>

#include "platform/clock.h"
#include "platform/instance_marker.h"

namespace gw {

class FakeInstanceMarker : public InstanceMarker {
 public:
  // `leaves_after_ms` < 0: the holder never leaves.
  FakeInstanceMarker(Clock& clock, bool held, int64_t leaves_after_ms = 0)
      : clock_(clock), held_(held), leaves_after_ms_(leaves_after_ms) {}

  bool held() override {
    if (held_ && close_asked_at_ >= 0 && leaves_after_ms_ >= 0 &&
        clock_.monotonicMs() - close_asked_at_ >= leaves_after_ms_) {
      held_ = false;
    }
    return held_;
  }
  void requestClose() override {
    ++close_requests;
    if (close_asked_at_ < 0) close_asked_at_ = clock_.monotonicMs();
  }

  int close_requests = 0;

 private:
  Clock& clock_;
  bool held_;
  int64_t leaves_after_ms_;
  int64_t close_asked_at_ = -1;
};

}  // namespace gw
