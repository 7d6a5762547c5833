// Log window logic.
#include "client/editors/log_viewer.h"

#include <algorithm>

#include "client/editors/integer_field.h"
#include "client/editors/log_rows.h"
#include "client/editors/page_reader.h"
#include "common/line_file.h"

namespace gw {
namespace {

constexpr const char* kByPeriodKey = "service.rec by period";
constexpr const char* kRateKey = "service.record rate";
constexpr const char* kByTriggerKey = "service.rec by trigger";

constexpr int kClearLog = 0;  // log operation

long long settingNumber(const EditorSession& session, const char* key) {
  std::optional<std::string> text = session.serviceSetting(key);
  return text ? parseLeadingInt(*text) : 0;
}

}  // namespace

LogViewer::LogViewer(EditorSession& session, RunMemory& memory)
    : session_(session), memory_(memory) {}

RecordTiming LogViewer::readTiming() const {
  RecordTiming t;
  t.periodic = settingNumber(session_, kByPeriodKey) != 0;
  t.on_event = settingNumber(session_, kByTriggerKey) != 0;
  const long long rate = settingNumber(session_, kRateKey);
  t.minutes = static_cast<int>(rate / 60);
  t.seconds = static_cast<int>(rate % 60);
  return t;
}

ListChange LogViewer::show(int log) {
  ListChange change;
  change.log = log;
  if (!isLogKind(log)) return change;
  shown_ = log;
  Page& page = pages_[log];
  if (!page.created) {
    page.created = true;
    if (log == LOG_STATUS) timing_ = readTiming();
    fillOlder(log, &change);
    page.grew_tag = completionTagOf(session_.subscribeLogGrew(log));
  }
  if (page.refresh_when_shown) {
    page.refresh_when_shown = false;
    fillNewer(log, &change);
  }
  return change;
}

void LogViewer::fillOlder(int log, ListChange* change) {
  Page& page = pages_[log];
  const std::string path = session_.pageFile(log, false);
  std::vector<std::string> read;
  for (;;) {
    std::vector<std::string> lines = readPage(path, &page.older_position);
    if (lines.empty()) break;
    for (std::string& line : lines) {
      if (std::optional<std::string> row = logRow(log, line, session_)) read.push_back(*row);
    }
  }
  // Each line goes on top of the list, so the last one read ends up first.
  for (std::string& row : read) page.rows.push_front(row);
  change->above.insert(change->above.begin(), read.rbegin(), read.rend());
}

void LogViewer::fillNewer(int log, ListChange* change) {
  if (log == LOG_SAVED) return;  // its records all come as older ones
  Page& page = pages_[log];
  const std::string path = session_.pageFile(log, true);
  for (;;) {
    std::vector<std::string> lines = readPage(path, &page.newer_position);
    if (lines.empty()) break;
    for (std::string& line : lines) {
      if (std::optional<std::string> row = logRow(log, line, session_)) {
        page.rows.push_back(*row);
        change->below.push_back(*row);
      }
    }
  }
}

bool LogViewer::requestDone(uint32_t tag, int code, ListChange* change, Outcome* outcome) {
  tag = completionTagOf(tag);
  *change = ListChange{};
  *outcome = Outcome::kWait;
  if (timing_tag_ == tag) {
    timing_tag_.reset();
    *outcome = code == 0 ? Outcome::kClose : Outcome::kStay;
    return true;
  }
  if (clear_tag_ == tag) {
    clear_tag_.reset();
    // The page files are gone: records that come now start new files.
    if (code == 0 && isLogKind(clear_log_)) {
      pages_[clear_log_].older_position = 0;
      pages_[clear_log_].newer_position = 0;
    }
    return true;
  }
  for (int log = 0; log < kLogKindCount; ++log) {
    Page& page = pages_[log];
    if (page.grew_tag != tag) continue;
    change->log = log;
    if (log == shown_) {
      fillNewer(log, change);
    } else {
      page.refresh_when_shown = true;
    }
    page.grew_tag = completionTagOf(session_.subscribeLogGrew(log));
    return true;
  }
  return false;
}

void LogViewer::clear() {
  if (!isLogKind(shown_)) return;
  pages_[shown_].rows.clear();
  session_.stageLogOp(kClearLog, shown_);
  clear_log_ = shown_;
  clear_tag_ = completionTagOf(session_.submit(EditorRequest::kLogOps));
}

LogViewer::OkResult LogViewer::ok(const RecordTimingControls& controls) {
  if (!pages_[LOG_STATUS].created) return {Outcome::kClose, {}};
  if (timing_tag_) return {Outcome::kWait, {}};
  RecordTiming now;
  now.periodic = controls.periodic;
  now.on_event = controls.on_event;
  std::string message;
  if (!readIntegerField(controls.minutes, 0, kTimingMinutesOkHigh, &now.minutes, &message) ||
      !readIntegerField(controls.seconds, 0, kTimingSecondsOkHigh, &now.seconds, &message)) {
    return {Outcome::kStay, message};
  }
  bool staged = false;
  if (now.periodic != timing_.periodic) {
    session_.stageServiceSetting(kByPeriodKey, now.periodic ? "1" : "0");
    staged = true;
  }
  if (now.minutes != timing_.minutes || now.seconds != timing_.seconds) {
    session_.stageServiceSetting(kRateKey, std::to_string(now.minutes * 60 + now.seconds));
    staged = true;
  }
  if (now.on_event != timing_.on_event) {
    session_.stageServiceSetting(kByTriggerKey, now.on_event ? "1" : "0");
    staged = true;
  }
  if (!staged) return {Outcome::kClose, {}};
  timing_tag_ = completionTagOf(session_.submit(EditorRequest::kSetServiceSettings));
  return {Outcome::kWait, {}};
}

}  // namespace gw
