// Event detection: compares each poll's status snapshot with the one before and turns the
// changes into policy events.
#pragma once

#include <cstdint>

#include "service/config/config_store.h"
#include "service/driverlink/status_snapshot.h"
#include "service/logs/status_recorder.h"
#include "service/policy/engine_host.h"
#include "service/policy/policy_engine.h"

namespace gw {

// Events, each told to the host with notify(code) when it is detected:
// - disconnect: the UPS counts as connected when STATUS_CONNECT is 1 and the reads of
//   STATUS_CONNECT, STATUS_POWERFAIL and STATUS_BATTERYLO all succeeded. Losing the
//   connection, or not having it at the first poll, resets all six events and then makes
//   "disconnect" happen; gaining it restores "disconnect".
// Only while connected, and against the previous poll only when that one was connected too
// (after a loss of connection a failure still present is reported afresh):
// - powerfail: STATUS_POWERFAIL rising or falling.
// - batterylow: STATUS_BATTERYLO during a mains failure; a low battery on mains is no event,
//   and mains returning ends a low-battery event.
// - loadover: STATUS_LOAD above "service.load max" (at least max + 1) starts an overload when
//   none is in progress; a load below max ends the one in progress. A load equal to max
//   neither starts nor ends one. Going by the event's phase rather than by the previous value
//   alone means a load that creeps through the limit (79, 80, 81 or 81, 80, 79 against 80) is
//   still seen; after a loss of connection an overload still present is reported afresh.
// - tempover: the same rule for STATUS_TEMP, which is in hundredths of a degree, against
//   "service.temp max" in whole degrees: over at temp >= max × 100 + 1, back at < max × 100.
// A failed load or temperature read detects nothing for that value.
//
// Main thread only. All references are not owned and must outlive the detector; `recorder`
// may be null (no status record by trigger).
class EventDetector {
 public:
  EventDetector(PolicyEngine& engine, EngineHost& host, const ConfigStore& settings,
                StatusRecorder* recorder);
  EventDetector(const EventDetector&) = delete;
  EventDetector& operator=(const EventDetector&) = delete;

  // Call after every poll with the snapshot before it and the new one. When "service.rec by
  // trigger" is set and an event was detected while connected, writes one status record.
  // Returns true when an event was detected. Never reaches the device.
  bool detect(const StatusSnapshot& previous, const StatusSnapshot& current);

  // Whether a snapshot counts as connected (see above).
  static bool connected(const StatusSnapshot& s);

 private:
  void event(EventId id, bool restore);
  // Starts an over-limit event at `current` >= `over`, ends it at `current` < `under`.
  bool limit(EventId id, int64_t current, int64_t over, int64_t under);

  PolicyEngine& engine_;
  EngineHost& host_;
  const ConfigStore& settings_;
  StatusRecorder* recorder_;
  bool first_poll_ = true;
};

}  // namespace gw
