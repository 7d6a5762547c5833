// Schedule window logic.
#include "client/editors/schedule_editor.h"

#include <algorithm>

#include "client/editors/integer_field.h"

namespace gw {
namespace {

bool readClock(const ClockInput& in, int* hour, int* minute) {
  std::string unused;
  int hour12 = 0;
  if (!readIntegerField(in.hour, 1, 12, &hour12, &unused) ||
      !readIntegerField(in.minute, 0, 59, minute, &unused)) {
    return false;
  }
  std::string am_pm = in.am_pm;
  std::transform(am_pm.begin(), am_pm.end(), am_pm.begin(), ::toupper);
  *hour = hour24(hour12, am_pm == "PM");
  return true;
}

int daysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

}  // namespace

ScheduleEditor::ScheduleEditor(EditorSession& session, RunMemory& memory)
    : session_(session), memory_(memory) {}

bool ScheduleEditor::setLoaded(bool loaded) {
  const bool arrived = loaded && !loaded_;
  loaded_ = loaded;
  if (!arrived || modified_) return false;
  bool changed = false;
  for (int page : {kDatedPage, kWeeklyPage}) {
    if (!pages_[page].opened) continue;
    const std::vector<std::string> before = pages_[page].rows;
    listCachedItems(page);
    changed = changed || before != pages_[page].rows;
  }
  return changed;
}

bool ScheduleEditor::show(int page) {
  if (page != kDatedPage && page != kWeeklyPage) return false;
  shown_ = page;
  memory_.schedule_weekly = page == kWeeklyPage;
  Page& p = pages_[page];
  if (p.opened) return false;
  p.opened = true;
  listCachedItems(page);
  return true;
}

void ScheduleEditor::listCachedItems(int page) {
  Page& p = pages_[page];
  p.rows.clear();
  const int repeat = page == kDatedPage ? kRepeatDated : kRepeatWeekly;
  for (const std::string& text : session_.scheduleLines()) {
    ScheduleEntry line;
    if (!parseScheduleEntry(text, &line) || line.repeat != repeat) continue;
    if (std::optional<std::string> row = itemRow(line)) p.rows.push_back(*row);
  }
}

bool ScheduleEditor::turnOn(int page) const {
  return page == kWeeklyPage ? memory_.turn_on_weekly : memory_.turn_on_dated;
}

void ScheduleEditor::setTurnOn(int page, bool on) {
  (page == kWeeklyPage ? memory_.turn_on_weekly : memory_.turn_on_dated) = on;
}

bool ScheduleEditor::readDate(const DateInput& in, DatedTime* t) const {
  std::string unused;
  // A day the month does not have would turn into another date without a word.
  return readIntegerField(in.year, kScheduleYearLow, yearHigh(), &t->year, &unused) &&
         readIntegerField(in.month, 1, 12, &t->month, &unused) &&
         readIntegerField(in.day, 1, daysInMonth(t->year, t->month), &t->day, &unused) &&
         readClock(in.clock, &t->hour, &t->minute);
}

bool ScheduleEditor::addDated(const DateInput& off, const DateInput& on) {
  if (!loaded_) return false;
  DatedTime off_time;
  if (!readDate(off, &off_time)) return false;
  std::string row = datedText(off_time);
  if (turnOn(kDatedPage)) {
    DatedTime on_time;
    if (!readDate(on, &on_time) || on_time <= off_time) return false;
    row += " - " + datedText(on_time);
  }
  pages_[kDatedPage].rows.push_back(row);
  modified_ = true;
  return true;
}

bool ScheduleEditor::addWeekly(int off_weekday, const ClockInput& off, int on_weekday,
                               const ClockInput& on) {
  if (!loaded_ || off_weekday < 0 || off_weekday > 6) return false;
  int hour = 0;
  int minute = 0;
  if (!readClock(off, &hour, &minute)) return false;
  std::string row = weeklyText(off_weekday, hour, minute);
  if (turnOn(kWeeklyPage)) {
    if (on_weekday < 0 || on_weekday > 6 || !readClock(on, &hour, &minute)) return false;
    row += " - " + weeklyText(on_weekday, hour, minute);
  }
  pages_[kWeeklyPage].rows.push_back(row);
  modified_ = true;
  return true;
}

int ScheduleEditor::remove(int index) {
  if (!loaded_ || shown_ < 0) return -1;
  std::vector<std::string>& rows = pages_[shown_].rows;
  if (index < 0 || index >= static_cast<int>(rows.size())) return -1;
  rows.erase(rows.begin() + index);
  modified_ = true;
  return std::min(index, static_cast<int>(rows.size()) - 1);
}

std::vector<std::string> ScheduleEditor::buildLines() const {
  const int64_t now = session_.nowMs();
  std::vector<std::string> lines;
  for (const Page& page : pages_) {
    if (!page.opened) continue;
    for (const std::string& row : page.rows) {
      if (std::optional<std::string> line = rowLine(row, now)) lines.push_back(*line);
    }
  }
  // Only the items an opened page listed are replaced by its rows; every other item stays,
  // so that editing the turn-offs never loses a daily item or a planned self-test.
  for (const std::string& text : session_.scheduleLines()) {
    ScheduleEntry line;
    if (parseScheduleEntry(text, &line) && isListedItem(line) &&
        pages_[line.repeat == kRepeatDated ? kDatedPage : kWeeklyPage].opened) {
      continue;
    }
    lines.push_back(text);
  }
  return lines;
}

ScheduleEditor::Outcome ScheduleEditor::ok() {
  if (!loaded_) return Outcome::kIgnored;
  if (!modified_) return Outcome::kClose;
  session_.stageSchedule(buildLines());
  (void)session_.submit(EditorRequest::kSetSchedule);  // the window closes without waiting
  return Outcome::kClose;
}

}  // namespace gw
