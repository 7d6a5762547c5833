// The schedule of timed shutdowns and self-tests: its items, the "schedule" file, and the tick
// of the service's main loop that carries out the items that fall due.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/result_code.h"
#include "platform/clock.h"
#include "service/config/load_report.h"
#include "service/schedule/schedule_item.h"

namespace gw {

// What a due item does, supplied by the service object.
class ScheduleHost {
 public:
  ScheduleHost() = default;
  virtual ~ScheduleHost() = default;
  ScheduleHost(const ScheduleHost&) = delete;
  ScheduleHost& operator=(const ScheduleHost&) = delete;
  // Sets the service's shutdown request: 0 shut down, > 0 shut down and have the UPS restart
  // its output after that many seconds.
  virtual void requestShutdown(int32_t restart_delay_s) = 0;
  // Starts a UPS self-test of that many seconds (CMD_SELFTEST).
  virtual void startSelfTest(int32_t seconds) = 0;
};

// Single-threaded (the service's main thread). Not copyable.
class Schedule {
 public:
  static constexpr std::string_view kFileName = "schedule";
  static constexpr unsigned kFileMode = 0644;
  // nextDue's answer when nothing is scheduled.
  static constexpr uint32_t kNothingDue = 0xFFFFFFFFu;

  // Loads "schedule" from `data_dir` when it can be read (missing: an empty schedule). Past
  // one-time items are dropped, past repeating items are moved to their next occurrence, lines
  // that do not read as an item are skipped and listed in loadReport() (the original is kept as
  // "schedule.rejected"). `clock` is not owned and must outlive the schedule.
  Schedule(std::string data_dir, Clock& clock);

  Schedule(const Schedule&) = delete;
  Schedule& operator=(const Schedule&) = delete;

  // Appends every item's text and a line feed, in list order (the "SCH GET" reply).
  void listItems(std::string* out) const;

  // Replaces all items with those read from `text`, one per line, by the loading rules above
  // ("SCH SET"). A text without a valid item empties the schedule.
  void replaceItems(std::string_view text);

  // replaceItems for a client's "SCH SET": the new schedule is written first, atomically, and
  // kept only when that worked; otherwise the old items stay and the write's code comes back.
  [[nodiscard]] ResultCode applyItems(std::string_view text);

  // Milliseconds until the earliest item falls due (kNothingDue when empty or further than
  // that). When the earliest item is due (its start is not after now), copies it to `due`,
  // moves it to its next occurrence or removes it when it does not repeat, and returns 0; call
  // again for further due items. Items with equal starts come in list order.
  uint32_t nextDue(ScheduleItem* due);

  // Carries out every due item, in the order they fall due: action 1 requests a shutdown (0),
  // action 2 a shutdown with restart after (end - start) / 1000 seconds (at least 1), action 3 a
  // self-test of (end - start) / 1000 seconds (at least 0); then lowers `timeout_ms` to the
  // time until the next item (timeout = min(timeout, remaining)).
  void tick(uint32_t& timeout_ms, ScheduleHost& host);

  // Writes every item in list order, atomically.
  [[nodiscard]] ResultCode save() const;

  const std::vector<ScheduleItem>& items() const { return items_; }
  // What loading "schedule" refused.
  const LoadReport& loadReport() const { return load_report_; }

 private:
  // Appends the items of `text`; the numbers of lines that are not items go to *refused
  // (nullable).
  void load(std::string_view text, std::vector<size_t>* refused);
  int earliest() const;

  std::string data_dir_;
  Clock& clock_;
  std::vector<ScheduleItem> items_;
  LoadReport load_report_;
};

}  // namespace gw
