// The log window's logic: its three pages filled from the page files, older records above
// newer ones; the log-grew subscriptions that keep them current; Clear; and the record-timing
// controls of the data-record page with what OK stages for them.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "client/editors/editor_session.h"
#include "client/editors/run_memory.h"
#include "protocol/log_kind.h"

namespace gw {

// The record-timing fields' spins, and what OK accepts.
inline constexpr int kTimingMinutesSpinHigh = 999;
inline constexpr int kTimingSecondsSpinHigh = 59;
inline constexpr int kTimingMinutesOkHigh = 1440;
inline constexpr int kTimingSecondsOkHigh = 60;

struct RecordTiming {
  bool periodic = false;
  int minutes = 0;
  int seconds = 0;
  bool on_event = false;
};

// The record-timing controls when OK is pressed; the numbers as typed.
struct RecordTimingControls {
  bool periodic = false;
  std::string minutes;
  std::string seconds;
  bool on_event = false;
};

// Rows that a fill brought to a page's list: `above` goes on top (in this order), `below` at
// the bottom.
struct ListChange {
  int log = -1;
  std::vector<std::string> above;
  std::vector<std::string> below;
  bool empty() const { return above.empty() && below.empty(); }
};

class LogViewer {
 public:
  enum class Outcome { kClose, kStay, kWait };
  struct OkResult {
    Outcome outcome;
    std::string message;
  };

  // Both must outlive the viewer. Read positions start at 0, so each opening lists every
  // record the page files hold.
  LogViewer(EditorSession& session, RunMemory& memory);

  // The page the window shows first: the one chosen last in this run.
  int initialPage() const { return memory_.log_page; }
  // Shows a page: the first time it is filled from its older records and subscribed to its
  // log's growth; newer records are added when the log grew while another page was shown.
  ListChange show(int log);
  int shown() const { return shown_; }
  bool created(int log) const { return pages_[log].created; }
  const std::deque<std::string>& rows(int log) const { return pages_[log].rows; }
  // The record timing as the cached service settings have it.
  RecordTiming loadedTiming() const { return timing_; }

  // A completion. False when the tag is not this window's; otherwise *change holds the rows a
  // log-grew notice brought to the page shown, and *outcome what the window does next (kWait:
  // nothing).
  [[nodiscard]] bool requestDone(uint32_t tag, int code, ListChange* change, Outcome* outcome);

  // Empties the page shown and asks the service to clear its log.
  void clear();

  OkResult ok(const RecordTimingControls& controls);
  // Cancel, and OK before it closes: the page shown is the one to show next time.
  void rememberPage() { memory_.log_page = shown_; }

 private:
  struct Page {
    bool created = false;
    std::deque<std::string> rows;
    int64_t older_position = 0;
    int64_t newer_position = 0;
    std::optional<uint32_t> grew_tag;
    bool refresh_when_shown = true;
  };

  void fillOlder(int log, ListChange* change);
  void fillNewer(int log, ListChange* change);
  RecordTiming readTiming() const;

  EditorSession& session_;
  RunMemory& memory_;
  std::array<Page, kLogKindCount> pages_;
  int shown_ = -1;
  RecordTiming timing_;
  std::optional<uint32_t> timing_tag_;
  std::optional<uint32_t> clear_tag_;
  int clear_log_ = -1;
};

}  // namespace gw
