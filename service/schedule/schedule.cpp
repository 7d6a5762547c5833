// The schedule: items, their file, and the main loop's tick.
#include "service/schedule/schedule.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "common/line_file.h"
#include "platform/file_system.h"

namespace gw {
namespace {

// Seconds between start and end, kept inside what the shutdown request and the device take.
int32_t lengthSeconds(const ScheduleItem& item) {
  int64_t seconds = (item.end - item.start) / 1000;
  return static_cast<int32_t>(
      std::clamp<int64_t>(seconds, 0, std::numeric_limits<int32_t>::max()));
}

}  // namespace

Schedule::Schedule(std::string data_dir, Clock& clock)
    : data_dir_(std::move(data_dir)), clock_(clock) {
  std::string path = joinPath(data_dir_, std::string(kFileName));
  std::string text;
  if (readWholeFile(path, &text) != RC_OK) return;
  std::vector<size_t> refused;
  load(text, &refused);
  load_report_ = settleLoad(path, kFileName, text, std::move(refused), kFileMode);
}

void Schedule::load(std::string_view text, std::vector<size_t>* refused) {
  int64_t now = clock_.nowMs();
  std::vector<std::string> lines = splitLines(text);
  for (size_t n = 0; n < lines.size(); ++n) {
    ScheduleItem item;
    if (!ScheduleItem::parse(lines[n], &item)) {
      if (refused && !lines[n].empty()) refused->push_back(n + 1);
      continue;
    }
    if (item.start < now) {
      if (!item.advancePast(now)) continue;  // a one-time item that has passed
    }
    items_.push_back(item);
  }
}

void Schedule::listItems(std::string* out) const {
  for (const ScheduleItem& item : items_) out->append(item.text()).push_back('\n');
}

void Schedule::replaceItems(std::string_view text) {
  items_.clear();
  load(text, nullptr);
}

int Schedule::earliest() const {
  int best = -1;
  for (size_t i = 0; i < items_.size(); ++i) {
    if (best < 0 || items_[i].start < items_[static_cast<size_t>(best)].start) {
      best = static_cast<int>(i);
    }
  }
  return best;
}

uint32_t Schedule::nextDue(ScheduleItem* due) {
  int index = earliest();
  if (index < 0) return kNothingDue;
  ScheduleItem& item = items_[static_cast<size_t>(index)];
  int64_t now = clock_.nowMs();
  if (now < item.start) {
    int64_t wait = item.start - now;
    return wait < static_cast<int64_t>(kNothingDue) ? static_cast<uint32_t>(wait) : kNothingDue;
  }
  *due = item;
  if (!item.advancePast(now)) items_.erase(items_.begin() + index);
  return 0;
}

void Schedule::tick(uint32_t& timeout_ms, ScheduleHost& host) {
  ScheduleItem due;
  uint32_t wait = 0;
  while ((wait = nextDue(&due)) == 0) {
    switch (due.action) {
      case SCHEDULE_SHUTDOWN:
        host.requestShutdown(0);
        break;
      case SCHEDULE_SHUTDOWN_RESTART:
        // 0 would mean "no restart"; an end at (or before) the start still restarts.
        host.requestShutdown(std::max<int32_t>(lengthSeconds(due), 1));
        break;
      case SCHEDULE_SELFTEST:
        host.startSelfTest(lengthSeconds(due));
        break;
      default:
        break;
    }
  }
  timeout_ms = std::min(timeout_ms, wait);
}

ResultCode Schedule::applyItems(std::string_view text) {
  std::vector<ScheduleItem> before = std::move(items_);
  items_.clear();
  load(text, nullptr);
  // On the disk first: a schedule that is answered as set must survive a crash.
  ResultCode rc = save();
  if (rc != RC_OK) items_ = std::move(before);
  return rc;
}

ResultCode Schedule::save() const {
  std::string text;
  listItems(&text);
  return writeFileAtomically(joinPath(data_dir_, std::string(kFileName)), text, kFileMode);
}

}  // namespace gw
