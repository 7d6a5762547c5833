// The log window's rows, page files, growth and record timing.
#include "client/editors/log_viewer.h"

#include <gtest/gtest.h>

#include "client/editors/log_rows.h"
#include "client/editors/page_reader.h"
#include "testing/fake_editor_session.h"
#include "testing/temp_dir.h"

namespace gw {
namespace {

using Rows = std::vector<std::string>;

Rows rowsOf(const LogViewer& viewer, int log) {
  return Rows(viewer.rows(log).begin(), viewer.rows(log).end());
}

std::string lines(int from, int to, const char* prefix) {
  std::string text;
  for (int i = from; i <= to; ++i) text += prefix + std::to_string(i) + "\n";
  return text;
}

class LogViewerTest : public ::testing::Test {
 protected:
  LogViewerTest() {
    session_.page_dir = dir_.path();
    session_.policies = {{"powerfail.record.happen.content", "UPS power failure."},
                         {"start.record.happen.content", "UPS service started."}};
    session_.settings = {{"service.rec by period", "1"},
                         {"service.record rate", "600"},
                         {"service.rec by trigger", "0"}};
  }

  void append(const char* name, const std::string& text) {
    dir_.write(name, dir_.read(name) + text);
  }

  TempDir dir_;
  FakeEditorSession session_;
  RunMemory memory_;
};

TEST_F(LogViewerTest, EventAndStatusRows) {
  EXPECT_EQ(eventRow("2002/07/15 13:05:09 4", session_), "2002/07/15 13:05:09\tUPS power failure.");
  EXPECT_EQ(eventRow("2002/07/15 13:05:09 000", session_), "2002/07/15 13:05:09\tUPS service started.");
  EXPECT_FALSE(eventRow("2002/07/15 13:05:09 12", session_)) << "no such event";
  EXPECT_FALSE(eventRow("2002/07/15 13:05:09 -1", session_));
  EXPECT_FALSE(eventRow("2002/07/15 13:05:09 5", session_)) << "no text in the policy table";
  EXPECT_FALSE(eventRow("2002/07/15 13:05:09 x", session_)) << "not a code";
  EXPECT_FALSE(eventRow("4", session_));

  EXPECT_EQ(statusRow("2002/07/15 13:05:09 23012 22950 10000 4599 6012 3599"),
            "2002/07/15\t13:05:09\t230\t229\t100\t45\t60.1\t35\t");
  EXPECT_EQ(statusRow("2002/07/15 13:05:09 0 0 0 0 6099 0"),
            "2002/07/15\t13:05:09\t0\t0\t0\t0\t60.9\t0\t");
  EXPECT_FALSE(statusRow("2002/07/15 13:05:09 1 2 3 4 5"));
  EXPECT_EQ(logRow(LOG_SAVED, "editor.exe\tC:\\notes.txt", session_), "editor.exe\tC:\\notes.txt");
}

TEST_F(LogViewerTest, PagesReadFiftyLinesAndLeaveAnUnfinishedLine) {
  dir_.write("eventnext", lines(1, 120, "r") + "partial");
  int64_t offset = 0;
  EXPECT_EQ(readPage(dir_.file("eventnext"), &offset).size(), 50u);
  EXPECT_EQ(readPage(dir_.file("eventnext"), &offset).size(), 50u);
  Rows last = readPage(dir_.file("eventnext"), &offset);
  ASSERT_EQ(last.size(), 20u);
  EXPECT_EQ(last.back(), "r120");
  EXPECT_TRUE(readPage(dir_.file("eventnext"), &offset).empty());
  append("eventnext", " line\n");
  EXPECT_EQ(readPage(dir_.file("eventnext"), &offset), Rows{"partial line"});
  int64_t none = 7;
  EXPECT_TRUE(readPage(dir_.file("missing"), &none).empty());
  EXPECT_EQ(none, 7);
}

TEST_F(LogViewerTest, OlderPagesAboveNewerRecordsInTheServicesOrder) {
  // Records 1..4 came as older pages, newest page first, each written reversed; 5 and 6 as newer.
  dir_.write("statusprev",
             "2002/01/01 00:00:04 400 0 0 0 0 0\n2002/01/01 00:00:03 300 0 0 0 0 0\n"
             "2002/01/01 00:00:02 200 0 0 0 0 0\n2002/01/01 00:00:01 100 0 0 0 0 0\n");
  dir_.write("statusnext",
             "2002/01/01 00:00:05 500 0 0 0 0 0\n2002/01/01 00:00:06 600 0 0 0 0 0\n");
  LogViewer viewer(session_, memory_);
  ListChange change = viewer.show(LOG_STATUS);
  Rows rows = rowsOf(viewer, LOG_STATUS);
  ASSERT_EQ(rows.size(), 6u);
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i].substr(0, 21), "2002/01/01\t00:00:0" + std::to_string(i + 1) + "\t" +
                                         std::to_string(i + 1)) << i;
  }
  EXPECT_EQ(change.above.size(), 4u);
  EXPECT_EQ(change.above.front(), rows.front());
  EXPECT_EQ(change.below.size(), 2u);
  RecordTiming t = viewer.loadedTiming();
  EXPECT_TRUE(t.periodic);
  EXPECT_EQ(t.minutes, 10);
  EXPECT_EQ(t.seconds, 0);
  EXPECT_FALSE(t.on_event);
}

TEST_F(LogViewerTest, ALogThatGrewWhileHiddenIsRefreshedWhenChosenAndEveryNoticeIsReArmed) {
  dir_.write("eventnext", "2002/01/01 00:00:01 4\n");
  LogViewer viewer(session_, memory_);
  viewer.show(LOG_EVENT);
  const uint32_t event_tag = session_.last_tag;
  viewer.show(LOG_STATUS);
  ASSERT_EQ(session_.log, (Rows{"subscribe 0", "subscribe 2"}));

  append("eventnext", "2002/01/01 00:00:02 4\n2002/01/01 00:00:03 12\n");
  ListChange change;
  LogViewer::Outcome outcome;
  ASSERT_TRUE(viewer.requestDone(event_tag, 0, &change, &outcome));
  EXPECT_EQ(outcome, LogViewer::Outcome::kWait);
  EXPECT_TRUE(change.empty()) << "not shown: nothing is read yet";
  EXPECT_EQ(viewer.rows(LOG_EVENT).size(), 1u);
  EXPECT_EQ(session_.log.back(), "subscribe 0");

  change = viewer.show(LOG_EVENT);
  EXPECT_EQ(change.below, Rows{"2002/01/01 00:00:02\tUPS power failure."});
  EXPECT_TRUE(viewer.show(LOG_STATUS).empty());
  viewer.show(LOG_EVENT);
  EXPECT_EQ(viewer.rows(LOG_EVENT).size(), 2u) << "read once";

  // While shown, growth is read at once.
  append("eventnext", "2002/01/01 00:00:04 4\n");
  ASSERT_TRUE(viewer.requestDone(session_.last_tag, 0, &change, &outcome));
  EXPECT_EQ(change.below, Rows{"2002/01/01 00:00:04\tUPS power failure."});
  EXPECT_EQ(session_.log, (Rows{"subscribe 0", "subscribe 2", "subscribe 0", "subscribe 0"}));
}

TEST_F(LogViewerTest, ReopeningListsEveryRecordAgainAndRemembersThePage) {
  dir_.write("eventprev", "2002/01/01 00:00:02 4\n2002/01/01 00:00:01 0\n");
  dir_.write("eventnext", "2002/01/01 00:00:03 4\n");
  {
    LogViewer first(session_, memory_);
    EXPECT_EQ(first.initialPage(), LOG_EVENT);
    first.show(LOG_EVENT);
    first.show(LOG_SAVED);
    first.rememberPage();
  }
  LogViewer second(session_, memory_);
  EXPECT_EQ(second.initialPage(), LOG_SAVED);
  second.show(LOG_EVENT);
  EXPECT_EQ(rowsOf(second, LOG_EVENT),
            (Rows{"2002/01/01 00:00:01\tUPS service started.",
                  "2002/01/01 00:00:02\tUPS power failure.",
                  "2002/01/01 00:00:03\tUPS power failure."}));
}

TEST_F(LogViewerTest, ClearEmptiesThePageAndReadsTheNewFilesFromTheirStart) {
  dir_.write("eventnext", "2002/01/01 00:00:01 4\n2002/01/01 00:00:02 4\n");
  LogViewer viewer(session_, memory_);
  viewer.show(LOG_EVENT);
  const uint32_t grew = session_.last_tag;
  viewer.clear();
  EXPECT_TRUE(viewer.rows(LOG_EVENT).empty());
  EXPECT_EQ(session_.log, (Rows{"subscribe 0", "logop 0 0", "submit LogOps"}));
  ListChange change;
  LogViewer::Outcome outcome;
  ASSERT_TRUE(viewer.requestDone(session_.last_tag, 0, &change, &outcome));
  // The worker deleted the files; the next record starts a new one.
  dir_.write("eventnext", "2002/01/01 00:00:09 4\n");
  ASSERT_TRUE(viewer.requestDone(grew, 0, &change, &outcome));
  EXPECT_EQ(change.below, Rows{"2002/01/01 00:00:09\tUPS power failure."});
}

TEST_F(LogViewerTest, RecordTimingStagesWhatChangedInOrder) {
  LogViewer viewer(session_, memory_);
  viewer.show(LOG_EVENT);
  EXPECT_EQ(viewer.ok({false, "0", "0", true}).outcome, LogViewer::Outcome::kClose)
      << "the data-record page was never shown";
  viewer.show(LOG_STATUS);
  session_.log.clear();
  EXPECT_EQ(viewer.ok({true, "10", "0", false}).outcome, LogViewer::Outcome::kClose);
  EXPECT_EQ(viewer.ok({true, "1441", "0", false}).message,
            "Please enter an integer between 0 and 1440.");
  EXPECT_EQ(viewer.ok({true, "1", "61", false}).message,
            "Please enter an integer between 0 and 60.");
  EXPECT_TRUE(session_.log.empty());

  EXPECT_EQ(viewer.ok({false, "1440", "60", true}).outcome, LogViewer::Outcome::kWait);
  EXPECT_EQ(session_.log, (Rows{"setting service.rec by period=0",
                                "setting service.record rate=86460",
                                "setting service.rec by trigger=1",
                                "submit SetServiceSettings"}));
  ListChange change;
  LogViewer::Outcome outcome;
  ASSERT_TRUE(viewer.requestDone(session_.last_tag, 33, &change, &outcome));
  EXPECT_EQ(outcome, LogViewer::Outcome::kStay);
  (void)viewer.ok({true, "10", "1", false});
  ASSERT_TRUE(viewer.requestDone(session_.last_tag, 0, &change, &outcome));
  EXPECT_EQ(outcome, LogViewer::Outcome::kClose);
}

}  // namespace
}  // namespace gw
