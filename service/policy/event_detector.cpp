// Turning status changes into policy events.
#include "service/policy/event_detector.h"

namespace gw {

EventDetector::EventDetector(PolicyEngine& engine, EngineHost& host, const ConfigStore& settings,
                             StatusRecorder* recorder)
    : engine_(engine), host_(host), settings_(settings), recorder_(recorder) {}

bool EventDetector::connected(const StatusSnapshot& s) {
  return s.ok(STATUS_CONNECT) && s.ok(STATUS_POWERFAIL) && s.ok(STATUS_BATTERYLO) &&
         s[STATUS_CONNECT].value != 0;
}

void EventDetector::event(EventId id, bool restore) {
  if (restore) {
    engine_.restore(id);
  } else {
    engine_.happen(id);
  }
  host_.notify(eventCode(id, restore));
}

bool EventDetector::detect(const StatusSnapshot& previous, const StatusSnapshot& current) {
  const bool was_connected = connected(previous);
  const bool is_connected = connected(current);
  bool changed = false;
  if (!is_connected && (was_connected || first_poll_)) {
    for (size_t i = 0; i < kEventCount; ++i) (void)engine_.reset(static_cast<EventId>(i));
    event(EVENT_DISCONNECT, false);
    changed = true;
  } else if (is_connected && !was_connected) {
    event(EVENT_DISCONNECT, true);
    changed = true;
  }
  first_poll_ = false;
  if (!is_connected) return changed;

  // Coming back from a lost connection every event was reset, so the flags of the unconnected
  // poll before do not count: a mains failure still present (or begun meanwhile) is reported
  // afresh and timed from now, instead of being taken as already known.
  const bool power_was = was_connected && previous.flag(STATUS_POWERFAIL);
  const bool power_is = current.flag(STATUS_POWERFAIL);
  if (power_is && !power_was) {
    event(EVENT_POWERFAIL, false);
    changed = true;
  } else if (power_was && !power_is) {
    event(EVENT_POWERFAIL, true);
    changed = true;
  }

  const bool low_was = was_connected && previous.flag(STATUS_BATTERYLO);
  const bool low_is = current.flag(STATUS_BATTERYLO);
  if (power_is && low_is && (!low_was || !power_was)) {
    event(EVENT_BATTERYLOW, false);
    changed = true;
  } else if ((power_is && low_was && !low_is) || (low_was && power_was && !power_is)) {
    event(EVENT_BATTERYLOW, true);
    changed = true;
  }

  if (current.ok(STATUS_LOAD)) {
    const int64_t max = settings_.loadMax();
    changed |= limit(EVENT_LOADOVER, current[STATUS_LOAD].value, max + 1, max);
  }
  if (current.ok(STATUS_TEMP)) {
    const int64_t max = static_cast<int64_t>(settings_.tempMax()) * 100;
    changed |= limit(EVENT_TEMPOVER, current[STATUS_TEMP].value, max + 1, max);
  }

  if (changed && recorder_ && settings_.recByTrigger()) {
    RecordingSettings recording;
    recording.rec_by_trigger = true;
    (void)recorder_->recordByTrigger(current, recording);  // a failed read writes nothing, by rule
  }
  return changed;
}

bool EventDetector::limit(EventId id, int64_t current, int64_t over, int64_t under) {
  // Both edges go by whether an event is in progress, not by the previous value alone: a value
  // that creeps through the limit (79, 80, 81 or 81, 80, 79 against 80) never had a previous
  // value on the far side of it.
  const bool in_progress = engine_.phase(id) == PHASE_HAPPENED;
  if (!in_progress && current >= over) {
    event(id, false);
    return true;
  }
  if (in_progress && current < under) {
    event(id, true);
    return true;
  }
  return false;
}

}  // namespace gw
