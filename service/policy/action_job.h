// One queued run of a policy action, and the receiver that carries it out.
#pragma once

#include <cstdint>
#include <string>

#include "protocol/policy_names.h"

namespace gw {

// The run-time phase of an event.
enum EventPhase : int {
  PHASE_IDLE = 0,
  PHASE_HAPPENED = 1,
  PHASE_RESTORED = 2,
};

// A self-contained copy: a worker thread owns its job and reads nothing else of the engine.
struct ActionJob {
  EventId event = EVENT_START;
  ActionId action = ACTION_RECORD;
  EventPhase phase = PHASE_HAPPENED;  // at queueing
  int64_t happen_time = 0;            // wall ms since 1970 of the event's happen
  int64_t restore_time = 0;           // wall ms since 1970 of its restore
  int32_t count = 0;                  // the slot's run count at queueing (1 for the first run)
  std::string content;                // the phase's content parameter at queueing

  // The time the event entered the job's phase: what a record carries.
  int64_t eventTime() const { return phase == PHASE_RESTORED ? restore_time : happen_time; }
  // The event-log code: event × 2, + 1 for a restore.
  int eventLogCode() const { return eventCode(event, phase == PHASE_RESTORED); }
};

// Runs the effect of one job. Called on the main thread for quick actions and on a worker
// thread for slow ones (see ActionDurations), so an implementation must be safe to call from
// several threads at once for the actions that can run in workers.
class ActionHandler {
 public:
  ActionHandler() = default;
  ActionHandler(const ActionHandler&) = delete;
  ActionHandler& operator=(const ActionHandler&) = delete;
  virtual ~ActionHandler() = default;

  virtual void runAction(const ActionJob& job) = 0;
};

}  // namespace gw
