// The firing rule of a policy action slot.
#include "service/policy/action_slot.h"

#include "common/deadline.h"

namespace gw {

bool ActionSlot::fire(const ActionPolicy& policy, EventPhase phase, int64_t elapsed_ms,
                      uint32_t& wait_ms) {
  if (elapsed_ms < 0) elapsed_ms = 0;
  if (last_phase != phase) {
    last_phase = phase;
    count = 0;
  }
  if (phase == PHASE_HAPPENED) {
    const HappenParams& h = policy.happen;
    if (h.max_count == 0) return false;
    if (h.max_count != -1 && count >= h.max_count) return false;
    const int64_t interval_ms = static_cast<int64_t>(h.interval) * 1000;
    // Without an interval a second run would be due at once on every tick, for ever.
    if (count > 0 && interval_ms == 0) return false;
    int64_t due = count == 0 ? static_cast<int64_t>(h.delay) * 1000 : last_run + interval_ms;
    if (elapsed_ms < due) {
      lowerTimeout(wait_ms, due - elapsed_ms);
      return false;
    }
    ++count;
    last_run = elapsed_ms;
    const bool more = h.max_count == -1 || count < h.max_count;
    // The next run is measured from this one, so the wait is one whole interval.
    if (more && interval_ms > 0) lowerTimeout(wait_ms, interval_ms);
    return true;
  }
  if (phase == PHASE_RESTORED) {
    const RestoreParams& r = policy.restore;
    if (r.max_count == 0 || count != 0) return false;
    const int64_t due = static_cast<int64_t>(r.delay) * 1000;
    if (elapsed_ms < due) {
      lowerTimeout(wait_ms, due - elapsed_ms);
      return false;
    }
    count = 1;
    last_run = elapsed_ms;
    return true;
  }
  return false;
}

}  // namespace gw
