// The service's three logs in its data directory: "event" (guarded, worker threads may append),
// "saved" (written by the application closer, read here whole) and "status".
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

#include "common/result_code.h"
#include "protocol/log_kind.h"
#include "service/logs/log_file.h"

namespace gw {

inline constexpr size_t kEventRecordLength = 23;   // "2002/07/15 13:05:09 004"
inline constexpr size_t kStatusRecordLength = 54;  // time stamp and six fields

// The six measured values a status record keeps, in hundredths as the device reports them.
struct StatusValues {
  int32_t in_volt = 0;   // STATUS_INVOLT, 5 digits
  int32_t out_volt = 0;  // STATUS_OUTVOLT, 5 digits
  int32_t capacity = 0;  // STATUS_CAPACITY, 5 digits
  int32_t load = 0;      // STATUS_LOAD, 5 digits
  int32_t freq = 0;      // STATUS_FREQ, 4 digits
  int32_t temp = 0;      // STATUS_TEMP, 5 digits
};

// Hears of records that could not be written (a full disk, a data directory gone). Called on
// the thread that appended, a policy worker for some event records, so it must be safe to call
// from any thread.
class AppendFailureSink {
 public:
  AppendFailureSink() = default;
  AppendFailureSink(const AppendFailureSink&) = delete;
  AppendFailureSink& operator=(const AppendFailureSink&) = delete;
  virtual ~AppendFailureSink() = default;

  // The first record of a log that was lost; `record` is its text.
  virtual void appendFailed(const std::string& file_name, const std::string& record,
                            ResultCode rc) = 0;
};

// Every operation taking a `kind` accepts any int: a number other than 0, 1, 2 does nothing,
// counts 0 and leaves `out` untouched. Appends and reads of "event" may come from any thread;
// everything else belongs to the main thread.
class LogStore {
 public:
  static constexpr const char* kFileNames[kLogKindCount] = {"event", "saved", "status"};

  // `data_dir` is the directory of the service's data files; nothing is opened here.
  // `failures` (nullable, not owned, outlives the store) hears of the first lost record of a
  // log, and again only after an append to that log has succeeded in between.
  explicit LogStore(const std::string& data_dir, AppendFailureSink* failures = nullptr);
  LogStore(const LogStore&) = delete;
  LogStore& operator=(const LogStore&) = delete;

  // Appends "<time stamp> <code, 3 digits>". `time_ms` is when the event happened or was
  // restored (ms since 1970, written in local time). RC_BAD_VALUE for a code outside 0..999;
  // RC_NOT_AVAILABLE when the file could not be written (the record is lost).
  [[nodiscard]] ResultCode appendEvent(int64_t time_ms, int code);

  // Appends "<time stamp>" and the six fields, each a blank and a zero-padded number. A value
  // too wide for its field is pinned to the field's limit, so a record never changes length.
  [[nodiscard]] ResultCode appendStatus(int64_t time_ms, const StatusValues& values);

  // Number of records; for "saved" the file size divided by 2, as the closer's log has no fixed
  // records. 0 when the file is missing.
  int64_t count(int kind) const;

  // Deletes the log's file; numbering starts again at 0. RC_OK when it was missing.
  [[nodiscard]] ResultCode clear(int kind);

  // LOG NXT: see LogFile::nextPage. For "saved" it does nothing.
  void nextPage(int kind, int64_t from, std::string* out) const;

  // LOG PRV: see LogFile::previousPage. For "saved": "0", followed, when `before` is not 0 and
  // the file exists and is not empty, by " " and the whole file (read in text mode).
  void previousPage(int kind, int64_t before, std::string* out) const;

  // The record texts without their line ends, as appended.
  static std::string eventRecordText(int64_t time_ms, int code);
  static std::string statusRecordText(int64_t time_ms, const StatusValues& values);

  // The log's file, for its path; null for an unknown kind.
  const LogFile* file(int kind) const;

 private:
  // Tells the sink when this append starts a run of failures.
  ResultCode settle(int kind, const std::string& record, ResultCode rc);

  AppendFailureSink* failures_;
  std::array<std::atomic<bool>, kLogKindCount> failing_{};
  LogFile event_;
  LogFile saved_;
  LogFile status_;
};

}  // namespace gw
