// The schedule window's logic: the dated and the weekly page with their rows, Add with its
// checks, Delete, and OK, which turns the rows back into item lines and keeps every cached item
// that no opened page shows.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "client/editors/editor_session.h"
#include "client/editors/run_memory.h"
#include "client/editors/schedule_rows.h"

namespace gw {

enum SchedulePage : int { kDatedPage = 0, kWeeklyPage = 1 };

// A time as typed into the fields.
struct ClockInput {
  std::string am_pm;
  std::string hour;
  std::string minute;
};
struct DateInput {
  std::string year;
  std::string month;
  std::string day;
  ClockInput clock;
};

class ScheduleEditor {
 public:
  enum class Outcome { kClose, kIgnored };

  // Both must outlive the editor.
  ScheduleEditor(EditorSession& session, RunMemory& memory);

  // The schedule became available (or not). A page opened before it arrived and not yet
  // edited takes the cached items now; true when that changed its rows.
  bool setLoaded(bool loaded);
  bool loaded() const { return loaded_; }
  bool modified() const { return modified_; }

  // The page chosen last in this run.
  int initialPage() const { return memory_.schedule_weekly ? kWeeklyPage : kDatedPage; }
  // Shows a page; true when it was created now, and its fields are to be set from fieldsNow().
  bool show(int page);
  int shown() const { return shown_; }
  bool opened(int page) const { return pages_[page].opened; }
  const std::vector<std::string>& rows(int page) const { return pages_[page].rows; }

  // The fields of a new page: now by the client's service-synchronised clock.
  ClockFields fieldsNow() const { return clockFields(session_.nowMs()); }
  // Year fields run from 2002 to this.
  int yearHigh() const { return scheduleYearHigh(session_.nowMs()); }

  // "Turn On" of each page, remembered for the run.
  bool turnOn(int page) const;
  void setTurnOn(int page, bool on);

  // Adds a row to the dated page; false (nothing added) when not loaded, a field does not
  // hold a date and time that exists, or the turn-on is not later than the turn-off.
  bool addDated(const DateInput& off, const DateInput& on);
  // Adds a row to the weekly page; false when not loaded, a needed weekday is not chosen (-1)
  // or a time does not read.
  bool addWeekly(int off_weekday, const ClockInput& off, int on_weekday, const ClockInput& on);
  // Deletes a row of the page shown; returns the row to select then (-1 for none).
  int remove(int index);

  // Stores the new list when something changed. Nothing happens until the schedule is loaded.
  Outcome ok();

 private:
  struct Page {
    bool opened = false;
    std::vector<std::string> rows;
  };

  void listCachedItems(int page);
  bool readDate(const DateInput& in, DatedTime* t) const;
  std::vector<std::string> buildLines() const;

  EditorSession& session_;
  RunMemory& memory_;
  std::array<Page, 2> pages_;
  int shown_ = -1;
  bool loaded_ = false;
  bool modified_ = false;
};

}  // namespace gw
