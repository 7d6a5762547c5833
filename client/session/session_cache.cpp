// The cache's guarded tables and the choice of the due schedule item.
#include "client/session/session_cache.h"

#include "common/line_file.h"
#include "common/time_text.h"

namespace gw {
namespace {

constexpr size_t kWireTimeLength = 21;  // "2002/11/05 2 17:04:09"

bool takeInt(std::string_view* rest, int* value) {
  size_t blank = rest->find(' ');
  long long v = 0;
  if (blank == std::string_view::npos || !parseWholeInt(rest->substr(0, blank), &v)) return false;
  *value = static_cast<int>(v);
  rest->remove_prefix(blank + 1);
  return true;
}

}  // namespace

bool parseScheduleEntry(const std::string& line, ScheduleEntry* entry) {
  std::string_view rest = line;
  ScheduleEntry e;
  if (!takeInt(&rest, &e.repeat) || !takeInt(&rest, &e.action) ||
      rest.size() < 2 * kWireTimeLength + 1 || rest[kWireTimeLength] != ' ' ||
      !parseWireTime(rest.substr(0, kWireTimeLength), &e.start_ms) ||
      !parseWireTime(rest.substr(kWireTimeLength + 1, kWireTimeLength), &e.end_ms)) {
    return false;
  }
  *entry = e;
  return true;
}

std::optional<ScheduleEntry> dueScheduleEntry(const std::vector<std::string>& lines,
                                              bool turn_off_only) {
  std::optional<ScheduleEntry> due;
  for (const std::string& line : lines) {
    ScheduleEntry e;
    if (!parseScheduleEntry(line, &e)) continue;
    if (turn_off_only && e.action != 1 && e.action != 2) continue;
    if (!due || e.start_ms < due->start_ms) due = e;
  }
  return due;
}

Cached<std::string> SessionCache::text(TextItem item) const {
  std::lock_guard<std::mutex> hold(lock_);
  return texts_[item];
}

Cached<std::vector<int>> SessionCache::range(RangeItem item) const {
  std::lock_guard<std::mutex> hold(lock_);
  return ranges_[item];
}

Cached<SessionCache::Table> SessionCache::policies() const {
  std::lock_guard<std::mutex> hold(lock_);
  return policies_;
}

std::optional<std::string> SessionCache::policy(const std::string& key) const {
  std::lock_guard<std::mutex> hold(lock_);
  auto it = policies_.value.find(key);
  if (it == policies_.value.end()) return std::nullopt;
  return it->second;
}

Cached<SessionCache::Table> SessionCache::serviceSettings() const {
  std::lock_guard<std::mutex> hold(lock_);
  return settings_;
}

Cached<std::vector<std::string>> SessionCache::schedule() const {
  std::lock_guard<std::mutex> hold(lock_);
  return schedule_;
}

std::optional<ScheduleEntry> SessionCache::dueItem() const {
  std::lock_guard<std::mutex> hold(lock_);
  return due_;
}

Cached<int64_t> SessionCache::eventTime(const std::string& event) const {
  std::lock_guard<std::mutex> hold(lock_);
  auto it = event_times_.find(event);
  return it == event_times_.end() ? Cached<int64_t>{} : it->second;
}

template <typename T>
void SessionCache::load(Cached<T>* slot, int code, T value) {
  std::lock_guard<std::mutex> hold(lock_);
  slot->code = code;
  if (code == RC_OK) slot->value = std::move(value);
}

void SessionCache::setText(TextItem item, int code, std::string value) {
  load(&texts_[item], code, std::move(value));
}

void SessionCache::setRange(RangeItem item, int code, std::vector<int> value) {
  load(&ranges_[item], code, std::move(value));
}

void SessionCache::loadPolicies(int code, Table table) { load(&policies_, code, std::move(table)); }

void SessionCache::setPolicy(const std::string& key, const std::string& value) {
  std::lock_guard<std::mutex> hold(lock_);
  policies_.value[key] = value;
}

void SessionCache::loadServiceSettings(int code, Table table) {
  load(&settings_, code, std::move(table));
}

void SessionCache::setServiceSetting(const std::string& key, const std::string& value) {
  std::lock_guard<std::mutex> hold(lock_);
  settings_.value[key] = value;
}

void SessionCache::loadSchedule(int code, std::vector<std::string> lines,
                                bool loaded_from_service) {
  std::optional<ScheduleEntry> due;
  if (code == RC_OK) due = dueScheduleEntry(lines, loaded_from_service);
  std::lock_guard<std::mutex> hold(lock_);
  schedule_.code = code;
  if (code != RC_OK) return;
  schedule_.value = std::move(lines);
  due_ = due;
}

void SessionCache::setEventTime(const std::string& event, int code, int64_t ms) {
  Cached<int64_t>* slot = nullptr;
  {
    std::lock_guard<std::mutex> hold(lock_);
    slot = &event_times_[event];  // map nodes stay where they are
  }
  load(slot, code, ms);
}

}  // namespace gw
