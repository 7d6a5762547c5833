// The run-time state of one action of one event, and the rule that decides when it runs.
#pragma once

#include <cstdint>

#include "service/config/action_policy.h"
#include "service/policy/action_job.h"

namespace gw {

struct ActionSlot {
  int32_t count = 0;                   // runs since the slot last saw a phase change
  EventPhase last_phase = PHASE_IDLE;  // the event phase the slot saw last
  int64_t last_run = 0;                // ms after the phase began at which it last ran

  // Applies the firing rule for the event's phase `phase` (happened or restored), `elapsed_ms`
  // after the phase began. Returns true when the action is due now (count and last_run are
  // updated for that run). Lowers `wait_ms` to the time until the slot's next run, if any.
  //
  // Happen: max count 0 is off, -1 unlimited; the first run comes `delay` seconds after the
  // happen, later runs `interval` seconds after the previous one. A slot with interval 0 runs
  // once, whatever its max count: there is no later time at which a second run would be due.
  // Restore: runs once, `delay` seconds after the restore, unless its max count is 0.
  // A negative `elapsed_ms` (a phase stamped in the future) is treated as 0.
  [[nodiscard]] bool fire(const ActionPolicy& policy, EventPhase phase, int64_t elapsed_ms,
                          uint32_t& wait_ms);
};

}  // namespace gw
