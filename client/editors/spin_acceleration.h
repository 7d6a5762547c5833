// How far one press of a spin moves its value while the operator holds it: 1 at first, 10
// after 2 s and 100 after 5 s of holding.
#pragma once

#include <cstdint>

namespace gw {

class SpinAcceleration {
 public:
  static constexpr int64_t kTenAfterMs = 2000;
  static constexpr int64_t kHundredAfterMs = 5000;

  // The step after holding for `held_ms`.
  static int stepAfter(int64_t held_ms);

  // A press on the spin began at `now_ms` (a monotonic time).
  void press(int64_t now_ms);
  void release() { held_ = false; }
  bool held() const { return held_; }
  // The step for a move at `now_ms`: 1 unless held.
  int step(int64_t now_ms) const;

 private:
  bool held_ = false;
  int64_t since_ms_ = 0;
};

}  // namespace gw
