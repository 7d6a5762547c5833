// The holding time that makes a spin move faster.
#include "client/editors/spin_acceleration.h"

namespace gw {

int SpinAcceleration::stepAfter(int64_t held_ms) {
  if (held_ms >= kHundredAfterMs) return 100;
  if (held_ms >= kTenAfterMs) return 10;
  return 1;
}

void SpinAcceleration::press(int64_t now_ms) {
  held_ = true;
  since_ms_ = now_ms;
}

int SpinAcceleration::step(int64_t now_ms) const {
  return held_ ? stepAfter(now_ms - since_ms_) : 1;
}

}  // namespace gw
