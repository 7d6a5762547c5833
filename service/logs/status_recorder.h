// Status-log recording: on a fixed grid of "service.record rate" seconds, and after a poll that
// detected an event when "service.rec by trigger" is set.
#pragma once

#include <cstddef>  // status_snapshot.h uses size_t
#include <cstdint>

#include "common/result_code.h"
#include "platform/clock.h"
#include "service/driverlink/status_snapshot.h"
#include "service/logs/log_store.h"

namespace gw {

// The three settings that steer recording, read by the caller from its settings each pass.
struct RecordingSettings {
  uint32_t record_rate_s = 600;  // "service.record rate"; 0 stops periodic recording
  bool rec_by_period = true;     // "service.rec by period"
  bool rec_by_trigger = false;   // "service.rec by trigger"
};

// Main thread only. Both references must outlive the recorder. The grid runs on the clock's
// monotonic time, so a wall-clock step neither floods the log nor stalls it; the record's time
// stamp is the wall time of writing.
class StatusRecorder {
 public:
  StatusRecorder(LogStore& logs, Clock& clock);
  StatusRecorder(const StatusRecorder&) = delete;
  StatusRecorder& operator=(const StatusRecorder&) = delete;

  // Appends one status record stamped now when all seven measured reads of the snapshot
  // (STATUS_INVOLT to STATUS_BACKUP) returned 0. RC_NOT_AVAILABLE when a read failed (nothing
  // written) or the file could not be written.
  [[nodiscard]] ResultCode writeStatusRecord(const StatusSnapshot& status);

  // Once per main-loop pass. The first call records at once; later records fall on the grid
  // first call + k * period. With the period 0 or "rec by period" off nothing is written and
  // the grid restarts from now, so recording switched back on writes its next record a full
  // period later. Lowers timeout_ms to the time until the next record (never raises it).
  void periodicRecording(const StatusSnapshot& status, const RecordingSettings& settings,
                         uint32_t& timeout_ms);

  // After a poll in which at least one event was detected: writes one record when
  // "rec by trigger" is on. Returns true when a record was written.
  bool recordByTrigger(const StatusSnapshot& status, const RecordingSettings& settings);

 private:
  LogStore& logs_;
  Clock& clock_;
  bool started_ = false;
  int64_t last_record_ = 0;  // monotonic ms of the last grid point
};

}  // namespace gw
