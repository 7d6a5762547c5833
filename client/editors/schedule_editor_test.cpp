// Schedule rows, their checks, and the item lines OK stores.
#include "client/editors/schedule_editor.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "common/time_text.h"
#include "testing/fake_editor_session.h"

namespace gw {
namespace {

using Lines = std::vector<std::string>;

int64_t localMs(int year, int month, int day, int hour, int minute) {
  int64_t ms = 0;
  EXPECT_TRUE(fromLocalTime({year, month, day, 0, hour, minute, 0}, &ms));
  return ms;
}

class ScheduleEditorTest : public ::testing::Test {
 protected:
  ScheduleEditorTest() {
    // A zone an hour from UTC, so that a local-time slip shows.
    ::setenv("TZ", "CET-1", 1);
    ::tzset();
    session_.now_ms = localMs(2026, 12, 11, 23, 30);  // a Friday
    editor_.setLoaded(true);
  }

  static DateInput date(const char* y, const char* mo, const char* d, const char* am_pm,
                        const char* h, const char* mi) {
    return {y, mo, d, {am_pm, h, mi}};
  }

  FakeEditorSession session_;
  RunMemory memory_;
  ScheduleEditor editor_{session_, memory_};
};

TEST_F(ScheduleEditorTest, TwelveHourClock) {
  EXPECT_EQ(hour24(12, false), 0);
  EXPECT_EQ(hour24(12, true), 12);
  EXPECT_EQ(hour24(1, true), 13);
  EXPECT_EQ(hour24(11, false), 11);
  ClockFields f = clockFields(localMs(2026, 12, 11, 0, 5));
  EXPECT_EQ(f.hour12, 12);
  EXPECT_FALSE(f.pm);
  f = clockFields(localMs(2026, 12, 11, 12, 0));
  EXPECT_EQ(f.hour12, 12);
  EXPECT_TRUE(f.pm);
  f = editor_.fieldsNow();
  EXPECT_EQ(f.hour12, 11);
  EXPECT_TRUE(f.pm);
  EXPECT_EQ(f.minute, 30);
  EXPECT_EQ(f.weekday, 5);
  EXPECT_EQ(f.day, 11);
}

TEST_F(ScheduleEditorTest, YearsReachTwentyYearsAhead) {
  EXPECT_EQ(editor_.yearHigh(), 2046);
  session_.now_ms = localMs(2003, 1, 1, 0, 0);
  EXPECT_EQ(editor_.yearHigh(), 2023);
  session_.now_ms = localMs(2026, 12, 11, 23, 30);
  editor_.show(kDatedPage);
  EXPECT_TRUE(editor_.addDated(date("2046", "12", "31", "PM", "11", "59"), {}));
  EXPECT_FALSE(editor_.addDated(date("2047", "1", "1", "AM", "1", "0"), {}));
  EXPECT_FALSE(editor_.addDated(date("2001", "12", "31", "AM", "1", "0"), {}));
  EXPECT_FALSE(editor_.addDated(date("2027", "2", "29", "AM", "1", "0"), {})) << "no such day";
  EXPECT_TRUE(editor_.addDated(date("2028", "2", "29", "AM", "1", "0"), {}));
  EXPECT_FALSE(editor_.addDated(date("2027", "1", "1", "AM", "13", "0"), {}));
  EXPECT_FALSE(editor_.addDated(date("2027", "1", "1", "AM", "1", "60"), {}));
}

TEST_F(ScheduleEditorTest, DatedTurnOnMustBeLater) {
  editor_.show(kDatedPage);
  editor_.setTurnOn(kDatedPage, true);
  EXPECT_FALSE(editor_.addDated(date("2003", "1", "1", "AM", "9", "0"),
                                date("2003", "1", "1", "AM", "9", "0")));
  EXPECT_FALSE(editor_.modified());
  EXPECT_FALSE(editor_.addDated(date("2003", "1", "2", "AM", "9", "0"),
                                date("2003", "1", "1", "PM", "10", "0")));
  EXPECT_TRUE(editor_.addDated(date("2003", "1", "1", "AM", "9", "0"),
                               date("2003", "1", "1", "AM", "9", "1")));
  EXPECT_TRUE(editor_.addDated(date("2003", "1", "1", "AM", "12", "0"),
                               date("2003", "1", "1", "PM", "12", "5")));
  EXPECT_TRUE(editor_.addDated(date("2003", "1", "1", "PM", "1", "0"),
                               date("2003", "1", "1", "pm", "1", "1")));
  EXPECT_EQ(editor_.rows(kDatedPage),
            (Lines{"2003/1/1 9:0 - 2003/1/1 9:1", "2003/1/1 0:0 - 2003/1/1 12:5",
                   "2003/1/1 13:0 - 2003/1/1 13:1"}));
  EXPECT_TRUE(editor_.modified());
  EXPECT_TRUE(memory_.turn_on_dated);
}

TEST_F(ScheduleEditorTest, WeeklyRowsTurnIntoTheirNextDates) {
  EXPECT_EQ(*rowLine("Friday 22:0", session_.now_ms),
            "3 1 2026/12/11 5 22:00:00 2026/12/11 5 22:00:00")
      << "today's weekday at a time already past is still today";
  EXPECT_EQ(*rowLine("Friday 22:0 - Monday 6:0", session_.now_ms),
            "3 2 2026/12/11 5 22:00:00 2026/12/14 1 06:00:00");
  EXPECT_EQ(*rowLine("Friday 22:0 - Friday 21:0", session_.now_ms),
            "3 2 2026/12/11 5 22:00:00 2026/12/18 5 21:00:00");
  EXPECT_EQ(*rowLine("Saturday 1:5 - Saturday 1:6", session_.now_ms),
            "3 2 2026/12/12 6 01:05:00 2026/12/12 6 01:06:00");
  EXPECT_EQ(*rowLine("2003/1/1 9:0 - 2003/1/1 9:1", session_.now_ms),
            "1 2 2003/01/01 3 09:00:00 2003/01/01 3 09:01:00");
  EXPECT_FALSE(rowLine("Fryday 22:0", session_.now_ms));
  EXPECT_FALSE(rowLine("2003/1/1 25:0", session_.now_ms));

  editor_.show(kWeeklyPage);
  EXPECT_FALSE(editor_.addWeekly(-1, {"PM", "10", "0"}, -1, {}));
  EXPECT_TRUE(editor_.addWeekly(5, {"PM", "10", "0"}, -1, {}));
  editor_.setTurnOn(kWeeklyPage, true);
  EXPECT_FALSE(editor_.addWeekly(5, {"PM", "10", "0"}, -1, {"AM", "6", "0"}));
  EXPECT_TRUE(editor_.addWeekly(5, {"PM", "10", "0"}, 1, {"AM", "6", "0"}));
  EXPECT_EQ(editor_.rows(kWeeklyPage), (Lines{"Friday 22:0", "Friday 22:0 - Monday 6:0"}));
}

TEST_F(ScheduleEditorTest, PagesListTheirItemsAndOkKeepsWhatNoOpenedPageShows) {
  session_.schedule = {
      "1 2 2027/01/02 6 08:00:00 2027/01/02 6 09:30:00",  // dated, off and on
      "3 1 2026/12/14 1 22:00:00 2026/12/14 1 22:00:00",  // weekly turn-off
      "2 1 2026/12/12 6 23:00:00 2026/12/12 6 23:00:00",  // daily turn-off
      "1 3 2027/01/05 2 10:00:00 2027/01/05 2 10:01:00",  // dated self-test
      "4 7 2027/01/31 0 10:00:00 2027/01/31 0 10:00:00",  // monthly, unknown action
  };
  EXPECT_EQ(editor_.initialPage(), kDatedPage);
  EXPECT_TRUE(editor_.show(kDatedPage));
  EXPECT_FALSE(editor_.show(kDatedPage)) << "created once";
  EXPECT_EQ(editor_.rows(kDatedPage), Lines{"2027/1/2 8:0 - 2027/1/2 9:30"});
  EXPECT_EQ(editor_.ok(), ScheduleEditor::Outcome::kClose);
  EXPECT_TRUE(session_.log.empty()) << "nothing modified";

  EXPECT_TRUE(editor_.addDated(date("2027", "3", "1", "PM", "6", "15"), {}));
  EXPECT_EQ(editor_.ok(), ScheduleEditor::Outcome::kClose);
  EXPECT_EQ(session_.log, (Lines{"schedule",
                                 "  1 2 2027/01/02 6 08:00:00 2027/01/02 6 09:30:00",
                                 "  1 1 2027/03/01 1 18:15:00 2027/03/01 1 18:15:00",
                                 "  3 1 2026/12/14 1 22:00:00 2026/12/14 1 22:00:00",
                                 "  2 1 2026/12/12 6 23:00:00 2026/12/12 6 23:00:00",
                                 "  1 3 2027/01/05 2 10:00:00 2027/01/05 2 10:01:00",
                                 "  4 7 2027/01/31 0 10:00:00 2027/01/31 0 10:00:00",
                                 "submit SetSchedule"}));
}

TEST_F(ScheduleEditorTest, APageOpenedBeforeTheScheduleArrivedListsItWhenItComes) {
  editor_.setLoaded(false);
  EXPECT_TRUE(editor_.show(kWeeklyPage));
  EXPECT_TRUE(editor_.rows(kWeeklyPage).empty());
  session_.schedule = {"3 1 2026/12/14 1 22:00:00 2026/12/14 1 22:00:00"};
  EXPECT_TRUE(editor_.setLoaded(true));
  EXPECT_EQ(editor_.rows(kWeeklyPage), Lines{"Monday 22:0"});
  EXPECT_FALSE(editor_.setLoaded(true)) << "only when it arrives";
  editor_.setLoaded(false);
  ASSERT_TRUE(editor_.addWeekly(2, {"AM", "1", "0"}, -1, {}) == false);  // not loaded: refused
  editor_.setLoaded(true);
  ASSERT_TRUE(editor_.addWeekly(2, {"AM", "1", "0"}, -1, {}));
  editor_.setLoaded(false);
  EXPECT_FALSE(editor_.setLoaded(true)) << "an edited page keeps its rows";
  EXPECT_EQ(editor_.rows(kWeeklyPage).size(), 2u);
}

TEST_F(ScheduleEditorTest, DeleteSelectsTheNextRowAndOkWaitsForTheSchedule) {
  session_.schedule = {"3 1 2026/12/14 1 22:00:00 2026/12/14 1 22:00:00",
                       "3 2 2026/12/12 6 23:00:00 2026/12/14 1 07:00:00"};
  editor_.setLoaded(false);
  EXPECT_TRUE(editor_.show(kWeeklyPage));
  EXPECT_EQ(editor_.rows(kWeeklyPage),
            (Lines{"Monday 22:0", "Saturday 23:0 - Monday 7:0"}));
  EXPECT_EQ(editor_.remove(0), -1) << "not loaded";
  EXPECT_EQ(editor_.ok(), ScheduleEditor::Outcome::kIgnored);
  editor_.setLoaded(true);
  EXPECT_EQ(editor_.remove(0), 0);
  EXPECT_EQ(editor_.remove(0), -1);
  EXPECT_TRUE(editor_.rows(kWeeklyPage).empty());
  EXPECT_EQ(editor_.ok(), ScheduleEditor::Outcome::kClose);
  EXPECT_EQ(session_.log, (Lines{"schedule", "submit SetSchedule"})) << "both items deleted";
  EXPECT_TRUE(memory_.schedule_weekly);
}

}  // namespace
}  // namespace gw
