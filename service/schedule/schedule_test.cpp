// The schedule: item text, calendar advancing, the "schedule" file and the tick.
#include "service/schedule/schedule.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <ctime>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/time_text.h"
#include "testing/fake_clock.h"
#include "testing/temp_dir.h"

namespace gw {
namespace {

constexpr int64_t kDay = 86400000;

void setTimeZone(const char* zone) {
  ::setenv("TZ", zone, 1);
  ::tzset();
}

int64_t at(const char* wire) {
  int64_t ms = 0;
  EXPECT_TRUE(parseWireTime(wire, &ms)) << wire;
  return ms;
}

struct RecordingHost : ScheduleHost {
  void requestShutdown(int32_t restart_delay_s) override {
    calls.push_back("shutdown " + std::to_string(restart_delay_s));
  }
  void startSelfTest(int32_t seconds) override {
    calls.push_back("selftest " + std::to_string(seconds));
  }
  std::vector<std::string> calls;
};

class ScheduleTest : public ::testing::Test {
 protected:
  void SetUp() override { setTimeZone("UTC"); }
  void TearDown() override { setTimeZone("UTC"); }

  std::unique_ptr<Schedule> open() { return std::make_unique<Schedule>(dir_.path(), clock_); }
  std::string listed(const Schedule& schedule) {
    std::string out;
    schedule.listItems(&out);
    return out;
  }

  TempDir dir_;
  FakeClock clock_{at("2002/11/05 2 17:04:09")};
  RecordingHost host_;
};

TEST(ScheduleItemTest, TextFormAndItsSeparators) {
  setTimeZone("UTC");
  const std::string example = "2 2 2002/11/05 2 22:30:00 2002/11/06 3 07:00:00";
  ScheduleItem item;
  ASSERT_TRUE(ScheduleItem::parse(example, &item));
  EXPECT_EQ(item.repeat, 2);
  EXPECT_EQ(item.action, 2);
  EXPECT_EQ(item.end - item.start, 8 * 3600 * 1000 + 30 * 60 * 1000);
  EXPECT_EQ(item.text(), example);

  ScheduleItem same;
  ASSERT_TRUE(ScheduleItem::parse("  2\t 2   2002/11/05 6 22:30:00  2002/11/06 0 07:00:00 x\r",
                                  &same))
      << "blanks between fields, weekday ignored, rest of the line ignored";
  EXPECT_EQ(same, item);

  const char* refused[] = {
      "2 2 2002,11/05 2 22:30:00 2002/11/06 3 07:00:00",
      "2 2 2002/11/05  2 22:30:00 2002/11/06 3 07:00:00",
      "2 2 2002/11/05 2 22.30:00 2002/11/06 3 07:00:00",
      "2 2 2002/11/05 2 22:30:00",
      "2 2 2002/13/05 2 22:30:00 2002/11/06 3 07:00:00",
      "x 2 2002/11/05 2 22:30:00 2002/11/06 3 07:00:00",
      "2 2002/11/05 2 22:30:00 2002/11/06 3 07:00:00",
      "99999999999 1 2002/11/05 2 22:30:00 2002/11/06 3 07:00:00",
      "",
  };
  for (const char* line : refused) {
    ScheduleItem untouched = item;
    EXPECT_FALSE(ScheduleItem::parse(line, &untouched)) << "\"" << line << "\"";
    EXPECT_EQ(untouched, item);
  }
}

TEST(ScheduleItemTest, AdvancingByDayWeekAndMonth) {
  setTimeZone("UTC");
  int64_t now = at("2002/11/05 2 17:04:09");

  ScheduleItem daily{REPEAT_DAILY, 1, at("2002/11/02 6 22:30:00"), at("2002/11/03 0 07:00:00")};
  ASSERT_TRUE(daily.advancePast(now));
  EXPECT_EQ(daily.start, at("2002/11/05 2 22:30:00")) << "three days in the past";
  EXPECT_EQ(daily.end, at("2002/11/06 3 07:00:00")) << "end moves by the same days";

  ScheduleItem on_the_dot{REPEAT_DAILY, 1, now, now + 60000};
  ASSERT_TRUE(on_the_dot.advancePast(now));
  EXPECT_EQ(on_the_dot.start, now + kDay) << "a start equal to now is not after it";

  ScheduleItem weekly{REPEAT_WEEKLY, 3, now - 15 * kDay, now - 15 * kDay + 600000};
  ASSERT_TRUE(weekly.advancePast(now));
  EXPECT_EQ(weekly.start, now + 6 * kDay);
  EXPECT_EQ(weekly.end, weekly.start + 600000);

  ScheduleItem monthly{REPEAT_MONTHLY, 1, at("2003/01/31 5 10:00:00"),
                       at("2003/01/31 5 11:00:00")};
  ASSERT_TRUE(monthly.advancePast(at("2003/02/01 6 00:00:00")));
  EXPECT_EQ(formatWireTime(monthly.start), "2003/03/31 1 10:00:00") << "February has no 31st";
  EXPECT_EQ(formatWireTime(monthly.end), "2003/03/31 1 11:00:00");

  ScheduleItem long_ago{REPEAT_MONTHLY, 1, at("1990/05/15 2 08:00:00"),
                        at("1990/05/16 3 08:00:00")};
  ASSERT_TRUE(long_ago.advancePast(now));
  EXPECT_EQ(formatWireTime(long_ago.start), "2002/11/15 5 08:00:00");
  EXPECT_EQ(formatWireTime(long_ago.end), "2002/11/16 6 08:00:00");

  ScheduleItem once{1, 1, now - kDay, now};
  EXPECT_FALSE(once.advancePast(now));
  EXPECT_EQ(once.start, now - kDay) << "a one-time item is left alone";
}

TEST(ScheduleItemTest, DailyItemsKeepTheirHourOverSummerTime) {
  setTimeZone("Europe/Berlin");
  // Summer time began on 2003-03-30 at 02:00 local.
  ScheduleItem daily{REPEAT_DAILY, 1, at("2003/03/28 5 22:30:00"), at("2003/03/29 6 07:00:00")};
  ASSERT_TRUE(daily.advancePast(at("2003/04/02 3 12:00:00")));
  EXPECT_EQ(formatWireTime(daily.start), "2003/04/02 3 22:30:00");
  EXPECT_EQ(formatWireTime(daily.end), "2003/04/03 4 07:00:00");
  setTimeZone("UTC");
}

TEST_F(ScheduleTest, LoadingDropsThePastAndSkipsBadLines) {
  dir_.write("schedule",
             "1 1 2002/11/04 1 10:00:00 2002/11/04 1 11:00:00\n"   // past, once: dropped
             "2 1 2002/11/02 6 22:30:00 2002/11/03 0 07:00:00\n"   // past, daily: advanced
             "1 3 2002/11/05,2 20:00:00 2002/11/05 2 20:01:00\n"   // comma: skipped
             "1 3 2002/11/05 2 20:00:00 2002/11/05 2 20:01:00\n"   // future: kept
             "rubbish\n\n"
             "4 2 2002/12/01 0 03:00:00 2002/12/01 0 04:00:00");   // no final line feed
  {
    auto schedule = open();
    EXPECT_EQ(listed(*schedule),
              "2 1 2002/11/05 2 22:30:00 2002/11/06 3 07:00:00\n"
              "1 3 2002/11/05 2 20:00:00 2002/11/05 2 20:01:00\n"
              "4 2 2002/12/01 0 03:00:00 2002/12/01 0 04:00:00\n");
    EXPECT_EQ(schedule->loadReport().refused_lines, (std::vector<size_t>{3, 5}))
        << "the bad lines, not the past item or the empty line";
    EXPECT_TRUE(dir_.exists("schedule.rejected"));
    ASSERT_EQ(schedule->save(), RC_OK);
  }
  EXPECT_EQ(dir_.read("schedule"),
            "2 1 2002/11/05 2 22:30:00 2002/11/06 3 07:00:00\n"
            "1 3 2002/11/05 2 20:00:00 2002/11/05 2 20:01:00\n"
            "4 2 2002/12/01 0 03:00:00 2002/12/01 0 04:00:00\n")
      << "the dropped item is not written back";

  auto again = open();
  EXPECT_EQ(again->items().size(), 3u);
  again->replaceItems("no item here\n1 1 2002,11/06 3 10:00:00 2002/11/06 3 10:00:00");
  EXPECT_TRUE(again->items().empty()) << "a text without an item empties the schedule";
}

TEST_F(ScheduleTest, CrLfFileLoadsAsItsLfForm) {
  dir_.write("schedule",
             "2 1 2002/11/05 2 22:30:00 2002/11/06 3 07:00:00\r\n"
             "3 3 2002/11/08 5 20:00:00 2002/11/08 5 20:01:00\r\n");
  auto schedule = open();
  EXPECT_EQ(listed(*schedule),
            "2 1 2002/11/05 2 22:30:00 2002/11/06 3 07:00:00\n"
            "3 3 2002/11/08 5 20:00:00 2002/11/08 5 20:01:00\n");
  EXPECT_TRUE(schedule->loadReport().clean()) << schedule->loadReport().text();
}

TEST_F(ScheduleTest, FarAwayEndsCostNoMoreThanNearOnes) {
  // A weekly item whose end was typed in year 0026, two thousand years before its start. A
  // step of a week at a time took tenths of a second per item; 100 of them stalled the loop.
  std::string items;
  for (int i = 0; i < 100; ++i) items += "3 3 2002/11/01 5 10:00:00 0026/11/01 1 10:10:00\n";
  auto schedule = open();
  auto t0 = std::chrono::steady_clock::now();
  schedule->replaceItems(items);
  auto took = std::chrono::steady_clock::now() - t0;
  ASSERT_EQ(schedule->items().size(), 100u);
  const ScheduleItem& item = schedule->items().front();
  EXPECT_EQ(formatWireTime(item.start), "2002/11/08 5 10:00:00");
  EXPECT_GE(item.end, item.start) << "the end is brought up to the start in whole steps";
  EXPECT_LT(item.end - item.start, 7 * kDay);
  EXPECT_EQ((item.end - at("0026/11/01 1 10:10:00")) % (7 * kDay), 0) << "whole weeks";
  EXPECT_LT(took, std::chrono::milliseconds(100)) << "advancing must not walk the centuries";
}

TEST_F(ScheduleTest, AClientsScheduleIsOnTheDiskBeforeItIsKept) {
  auto schedule = open();
  const std::string item = "2 1 2002/11/05 2 22:30:00 2002/11/06 3 07:00:00\n";
  ASSERT_EQ(schedule->applyItems(item), RC_OK);
  EXPECT_EQ(dir_.read("schedule"), item) << "written at once, not at the stop";

  std::filesystem::remove(dir_.file("schedule"));
  std::filesystem::create_directories(dir_.file("schedule/in-the-way"));
  EXPECT_EQ(schedule->applyItems(""), RC_NOT_AVAILABLE);
  EXPECT_EQ(listed(*schedule), item) << "the old items stay";
}

TEST_F(ScheduleTest, ATimedShutdownFallsDueOnce) {
  auto schedule = open();
  uint32_t timeout = 5000;
  schedule->tick(timeout, host_);
  EXPECT_EQ(timeout, 5000u) << "an empty schedule does not lower the wait";
  ScheduleItem unused;
  EXPECT_EQ(schedule->nextDue(&unused), Schedule::kNothingDue);

  schedule->replaceItems(ScheduleItem{1, SCHEDULE_SHUTDOWN, clock_.nowMs() + 90000,
                                      clock_.nowMs() + 90000}
                             .text());
  timeout = Schedule::kNothingDue;
  schedule->tick(timeout, host_);
  EXPECT_EQ(timeout, 90000u);
  EXPECT_TRUE(host_.calls.empty());

  clock_.advance(89999);
  timeout = Schedule::kNothingDue;
  schedule->tick(timeout, host_);
  EXPECT_EQ(timeout, 1u);
  clock_.advance(1);
  timeout = 3000;
  schedule->tick(timeout, host_);
  EXPECT_EQ(host_.calls, std::vector<std::string>{"shutdown 0"});
  EXPECT_EQ(timeout, 3000u);
  EXPECT_EQ(listed(*schedule), "") << "a one-time item is gone once due";

  // Further than the wait can say.
  schedule->replaceItems(ScheduleItem{1, SCHEDULE_SHUTDOWN, clock_.nowMs() + 60 * kDay, 0}.text());
  EXPECT_EQ(schedule->nextDue(&unused), Schedule::kNothingDue);
}

TEST_F(ScheduleTest, SeveralDueItemsRunInOneTickInOrder) {
  int64_t t = clock_.nowMs() + 10000;
  std::vector<ScheduleItem> items = {
      {1, SCHEDULE_SELFTEST, t + 1000, t + 61000},
      {1, SCHEDULE_SHUTDOWN_RESTART, t, t},           // end at start: restart after 1 s
      {1, SCHEDULE_SHUTDOWN_RESTART, t, t + 120000},  // same start, later in the list
      {1, 9, t, t},                                   // unknown action: nothing
      {1, SCHEDULE_SHUTDOWN_RESTART, t + 2000, t - 50000},  // end before start
      {2, SCHEDULE_SHUTDOWN, t + 5 * 3600 * 1000, t + 6 * 3600 * 1000},
  };
  std::string text;
  for (const ScheduleItem& item : items) text += item.text() + "\n";
  auto schedule = open();
  schedule->replaceItems(text);
  ASSERT_EQ(schedule->items().size(), items.size());

  ScheduleItem first;
  clock_.advance(10000);
  ASSERT_EQ(schedule->nextDue(&first), 0u);
  EXPECT_EQ(first, items[1]) << "equal starts come in list order";

  clock_.advance(2000);
  uint32_t timeout = Schedule::kNothingDue;
  schedule->tick(timeout, host_);
  EXPECT_EQ(host_.calls,
            (std::vector<std::string>{"shutdown 120", "selftest 60", "shutdown 1"}));
  EXPECT_EQ(timeout, 5u * 3600 * 1000 - 2000) << "the daily item is next";

  clock_.advance(5 * 3600 * 1000 - 2000);
  host_.calls.clear();
  timeout = Schedule::kNothingDue;
  schedule->tick(timeout, host_);
  EXPECT_EQ(host_.calls, std::vector<std::string>{"shutdown 0"});
  EXPECT_EQ(timeout, static_cast<uint32_t>(kDay)) << "a repeating item stays for tomorrow";
  ASSERT_EQ(schedule->items().size(), 1u);
  EXPECT_EQ(schedule->items()[0].start, items[5].start + kDay);
}

TEST_F(ScheduleTest, SaveFailureIsReported) {
  Schedule nowhere(dir_.file("missing-dir"), clock_);
  EXPECT_NE(nowhere.save(), RC_OK);
}

}  // namespace
}  // namespace gw
