// Phases, the tick and the re-timing of the policy engine.
#include "service/policy/policy_engine.h"

#include <limits>
#include <utility>

#include "common/deadline.h"
#include "platform/file_system.h"

namespace gw {

PolicyEngine::PolicyEngine(Clock& clock, ActionHandler& handler, std::string data_dir,
                           NoticeIdCounter& ids, NoticeHandler* notices)
    : clock_(clock),
      protect_path_(joinPath(data_dir, std::string(PolicyTable::kFileName))),
      table_(ids, notices),
      executor_(clock, handler) {
  // A missing "protect" simply keeps the defaults.
  (void)table_.load(protect_path_, &load_report_);
}

ResultCode PolicyEngine::save() const { return table_.save(protect_path_); }

void PolicyEngine::happen(EventId event) {
  EventEntry& e = entry(event);
  if (e.phase != PHASE_HAPPENED) {
    e.happen_time = clock_.nowMs();
    e.happen_mono = clock_.monotonicMs();
    e.phase = PHASE_HAPPENED;
  }
  next_evaluation_ = std::numeric_limits<int64_t>::min();
}

void PolicyEngine::restore(EventId event) {
  EventEntry& e = entry(event);
  if (e.phase != PHASE_RESTORED) {
    e.restore_time = clock_.nowMs();
    e.restore_mono = clock_.monotonicMs();
    e.phase = PHASE_RESTORED;
  }
  next_evaluation_ = std::numeric_limits<int64_t>::min();
}

EventPhase PolicyEngine::reset(EventId event) {
  EventEntry& e = entry(event);
  EventPhase was = e.phase;
  e.phase = PHASE_IDLE;
  return was;
}

void PolicyEngine::tick(uint32_t& timeout_ms) {
  const int64_t now = clock_.monotonicMs();
  if (now < next_evaluation_) {
    lowerTimeout(timeout_ms, next_evaluation_ - now);
    return;
  }
  uint32_t wait = kUnlimitedTimeout;
  for (size_t i = 0; i < kEventCount; ++i) {
    EventId event = static_cast<EventId>(i);
    if (entry(event).phase != PHASE_IDLE) evaluate(event, now, wait);
  }
  if (!executor_.empty()) {
    uint32_t executor_wait = executor_.run();
    if (executor_wait < wait) wait = executor_wait;
  }
  // With nothing due ever again the engine sleeps until a happen or restore wakes it.
  next_evaluation_ = wait == kUnlimitedTimeout ? std::numeric_limits<int64_t>::max() : now + wait;
  lowerTimeout(timeout_ms, wait);
}

void PolicyEngine::evaluate(EventId event, int64_t now_mono, uint32_t& wait) {
  EventEntry& e = entry(event);
  const int64_t began = e.phase == PHASE_HAPPENED ? e.happen_mono : e.restore_mono;
  for (size_t a = 0; a < kActionCount; ++a) {
    ActionId action = static_cast<ActionId>(a);
    const ActionPolicy& policy = table_.at(event, action);
    ActionSlot& s = e.slots[a];
    if (!s.fire(policy, e.phase, now_mono - began, wait)) continue;
    ActionJob job;
    job.event = event;
    job.action = action;
    job.phase = e.phase;
    job.happen_time = e.happen_time;
    job.restore_time = e.restore_time;
    job.count = s.count;
    job.content = e.phase == PHASE_HAPPENED ? policy.happen.content : policy.restore.content;
    executor_.enqueue(std::move(job));
  }
}

void PolicyEngine::retimeShutdown() {
  if (table_.at(EVENT_POWERFAIL, ACTION_SHUTDOWN).happen.max_count == 0) return;
  // Only a failure in progress is touched: resetting a restored event would leave it idle and
  // drop its pending restore actions.
  if (phase(EVENT_POWERFAIL) != PHASE_HAPPENED) return;
  (void)reset(EVENT_POWERFAIL);  // known to be happened
  happen(EVENT_POWERFAIL);
}

void PolicyEngine::finalPass() {
  restore(EVENT_START);
  uint32_t unused = kUnlimitedTimeout;
  tick(unused);
}

}  // namespace gw
