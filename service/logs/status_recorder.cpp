// The status log's recording grid and the record-status step.
#include "service/logs/status_recorder.h"

#include "common/deadline.h"

namespace gw {

StatusRecorder::StatusRecorder(LogStore& logs, Clock& clock) : logs_(logs), clock_(clock) {}

ResultCode StatusRecorder::writeStatusRecord(const StatusSnapshot& status) {
  for (int i = STATUS_INVOLT; i <= STATUS_BACKUP; ++i) {
    if (!status.ok(i)) return RC_NOT_AVAILABLE;
  }
  StatusValues values;
  values.in_volt = status[STATUS_INVOLT].value;
  values.out_volt = status[STATUS_OUTVOLT].value;
  values.capacity = status[STATUS_CAPACITY].value;
  values.load = status[STATUS_LOAD].value;
  values.freq = status[STATUS_FREQ].value;
  values.temp = status[STATUS_TEMP].value;
  return logs_.appendStatus(clock_.nowMs(), values);
}

void StatusRecorder::periodicRecording(const StatusSnapshot& status,
                                       const RecordingSettings& settings, uint32_t& timeout_ms) {
  const int64_t period = static_cast<int64_t>(settings.record_rate_s) * 1000;
  const int64_t now = clock_.monotonicMs();
  if (!started_) {
    started_ = true;
    last_record_ = now - period;
  }
  if (period == 0 || !settings.rec_by_period) {
    last_record_ = now;
    return;
  }
  if (now >= last_record_ + period) {
    // Whole periods only, so the grid keeps its phase after a long pass.
    last_record_ += (now - last_record_) / period * period;
    // A failed read or write loses this grid point; the next one is a period on.
    (void)writeStatusRecord(status);
  }
  lowerTimeout(timeout_ms, last_record_ + period - now);
}

bool StatusRecorder::recordByTrigger(const StatusSnapshot& status,
                                     const RecordingSettings& settings) {
  if (!settings.rec_by_trigger) return false;
  return writeStatusRecord(status) == RC_OK;
}

}  // namespace gw
