// The record formats of the event and status logs, and the per-kind dispatch of the client's
// LOG commands.
#include "service/logs/log_store.h"

#include <algorithm>
#include <cstdio>

#include "common/time_text.h"
#include "platform/file_system.h"

namespace gw {
namespace {

// Zero-padded to `width`; a value that would not fit is pinned to the widest that does, so that
// the record keeps its length (negative values keep their sign within the width).
void appendField(std::string* out, int32_t value, int width) {
  int64_t max = 1;
  for (int i = 0; i < width; ++i) max *= 10;
  int64_t v = std::clamp<int64_t>(value, -(max / 10 - 1), max - 1);
  char text[16];
  std::snprintf(text, sizeof text, " %0*lld", width, static_cast<long long>(v));
  out->append(text);
}

}  // namespace

LogStore::LogStore(const std::string& data_dir, AppendFailureSink* failures)
    : failures_(failures),
      event_(joinPath(data_dir, kFileNames[LOG_EVENT]), kEventRecordLength, true),
      saved_(joinPath(data_dir, kFileNames[LOG_SAVED]), 0, false),
      status_(joinPath(data_dir, kFileNames[LOG_STATUS]), kStatusRecordLength, false) {}

std::string LogStore::eventRecordText(int64_t time_ms, int code) {
  std::string text = formatLogTime(time_ms);
  char digits[8];
  std::snprintf(digits, sizeof digits, " %03d", std::clamp(code, 0, 999));
  text += digits;
  return text;
}

std::string LogStore::statusRecordText(int64_t time_ms, const StatusValues& values) {
  std::string text = formatLogTime(time_ms);
  appendField(&text, values.in_volt, 5);
  appendField(&text, values.out_volt, 5);
  appendField(&text, values.capacity, 5);
  appendField(&text, values.load, 5);
  appendField(&text, values.freq, 4);
  appendField(&text, values.temp, 5);
  return text;
}

ResultCode LogStore::appendEvent(int64_t time_ms, int code) {
  if (code < 0 || code > 999) return RC_BAD_VALUE;
  // A time stamp of another length (a year past 9999) is refused by the file.
  std::string record = eventRecordText(time_ms, code);
  return settle(LOG_EVENT, record, event_.append(record));
}

ResultCode LogStore::appendStatus(int64_t time_ms, const StatusValues& values) {
  std::string record = statusRecordText(time_ms, values);
  return settle(LOG_STATUS, record, status_.append(record));
}

ResultCode LogStore::settle(int kind, const std::string& record, ResultCode rc) {
  std::atomic<bool>& failing = failing_[static_cast<size_t>(kind)];
  if (rc == RC_OK) {
    failing.store(false);
  } else if (rc != RC_BAD_VALUE && !failing.exchange(true) && failures_) {
    // One report per run of failures: a full disk would otherwise repeat it with every poll.
    failures_->appendFailed(kFileNames[kind], record, rc);
  }
  return rc;
}

const LogFile* LogStore::file(int kind) const {
  switch (kind) {
    case LOG_EVENT:
      return &event_;
    case LOG_SAVED:
      return &saved_;
    case LOG_STATUS:
      return &status_;
    default:
      return nullptr;
  }
}

int64_t LogStore::count(int kind) const {
  const LogFile* f = file(kind);
  return f ? f->count() : 0;
}

ResultCode LogStore::clear(int kind) {
  LogFile* f = const_cast<LogFile*>(file(kind));
  return f ? f->clear() : RC_OK;
}

void LogStore::nextPage(int kind, int64_t from, std::string* out) const {
  if (kind != LOG_EVENT && kind != LOG_STATUS) return;
  *out = file(kind)->nextPage(from);
}

void LogStore::previousPage(int kind, int64_t before, std::string* out) const {
  if (kind == LOG_EVENT || kind == LOG_STATUS) {
    *out = file(kind)->previousPage(before);
    return;
  }
  if (kind != LOG_SAVED) return;
  std::string page(1, '0');
  std::string whole;
  if (before != 0 && saved_.readWhole(&whole) == RC_OK && !whole.empty()) {
    page.push_back(' ');
    page += whole;
  }
  *out = std::move(page);
}

}  // namespace gw
