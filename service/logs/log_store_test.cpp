// The log store's record formats, paging texts, clearing and concurrent appends.
#include "service/logs/log_store.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <regex>
#include <thread>
#include <vector>

#include "testing/fake_clock.h"
#include "testing/temp_dir.h"

namespace gw {
namespace {

class LogStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    ASSERT_FALSE(dir_.path().empty());
    store_ = std::make_unique<LogStore>(dir_.path());
  }

  // Record i of a test log: one second apart, codes cycling through the twelve event codes.
  static int64_t timeOf(int i) { return FakeClock::kDefaultStart + i * 1000LL; }
  std::string eventText(int i) const { return LogStore::eventRecordText(timeOf(i), i % 12); }

  void fillEvents(int n) {
    for (int i = 0; i < n; ++i) ASSERT_EQ(store_->appendEvent(timeOf(i), i % 12), RC_OK);
  }

  // The expected body of a page: records first .. last - 1, each with its line feed.
  std::string eventsBody(int first, int last) const {
    std::string s;
    for (int i = first; i < last; ++i) s += eventText(i) + "\n";
    return s;
  }

  std::string next(int kind, int64_t from) const {
    std::string out = "untouched";
    store_->nextPage(kind, from, &out);
    return out;
  }
  std::string previous(int kind, int64_t before) const {
    std::string out = "untouched";
    store_->previousPage(kind, before, &out);
    return out;
  }

  TempDir dir_;
  std::unique_ptr<LogStore> store_;
};

TEST_F(LogStoreTest, RecordsHaveTheirFixedTextAndWindowsLineEnds) {
  ASSERT_EQ(store_->appendEvent(FakeClock::kDefaultStart, 4), RC_OK);
  ASSERT_EQ(store_->appendEvent(FakeClock::kDefaultStart + 61000, 11), RC_OK);
  EXPECT_EQ(dir_.read("event"), "2002/11/05 17:04:09 004\r\n2002/11/05 17:05:10 011\r\n");

  StatusValues v{23012, 22990, 10000, 4550, 5000, 3125};
  ASSERT_EQ(store_->appendStatus(FakeClock::kDefaultStart, v), RC_OK);
  EXPECT_EQ(dir_.read("status"), "2002/11/05 17:04:09 23012 22990 10000 04550 5000 03125\r\n");
  EXPECT_EQ(store_->count(LOG_EVENT), 2);
  EXPECT_EQ(store_->count(LOG_STATUS), 1);

  // Values that do not fit their field must not change the record's length: every later
  // record would be read from the wrong offset.
  StatusValues wide{123456, -7, 0, 99999, 12345, -123456};
  std::string text = LogStore::statusRecordText(FakeClock::kDefaultStart, wide);
  EXPECT_EQ(text, "2002/11/05 17:04:09 99999 -0007 00000 99999 9999 -9999");
  EXPECT_EQ(text.size(), kStatusRecordLength);

  EXPECT_EQ(store_->appendEvent(FakeClock::kDefaultStart, 1000), RC_BAD_VALUE);
  EXPECT_EQ(store_->appendEvent(FakeClock::kDefaultStart, -1), RC_BAD_VALUE);
  EXPECT_EQ(store_->count(LOG_EVENT), 2) << "a refused record is not written";
}

TEST_F(LogStoreTest, PagesOfAHundredAndTwentyRecords) {
  fillEvents(120);
  ASSERT_EQ(store_->count(LOG_EVENT), 120);

  EXPECT_EQ(next(LOG_EVENT, 0), "50 " + eventsBody(0, 50));
  EXPECT_EQ(next(LOG_EVENT, -9), "50 " + eventsBody(0, 50)) << "a negative cursor starts at 0";
  EXPECT_EQ(next(LOG_EVENT, 50), "100 " + eventsBody(50, 100));
  EXPECT_EQ(next(LOG_EVENT, 100), "120 " + eventsBody(100, 120));
  EXPECT_EQ(next(LOG_EVENT, 120), "120") << "at the end: the cursor and no blank";
  EXPECT_EQ(next(LOG_EVENT, 130), "120") << "past the end: the record count";

  EXPECT_EQ(previous(LOG_EVENT, 30), "0 " + eventsBody(0, 30));
  EXPECT_EQ(previous(LOG_EVENT, 120), "70 " + eventsBody(70, 120));
  EXPECT_EQ(previous(LOG_EVENT, 70), "20 " + eventsBody(20, 70));
  EXPECT_EQ(previous(LOG_EVENT, 1), "0 " + eventsBody(0, 1));
  EXPECT_EQ(previous(LOG_EVENT, 0), "0");
  EXPECT_EQ(previous(LOG_EVENT, -4), "0");
  EXPECT_EQ(previous(LOG_EVENT, 500), "70 " + eventsBody(70, 120))
      << "a cursor past the end pages back from the last record";
}

TEST_F(LogStoreTest, MissingFilesClearingAndUnknownKinds) {
  EXPECT_EQ(store_->count(LOG_EVENT), 0);
  EXPECT_EQ(next(LOG_EVENT, 7), "7") << "no file: the cursor comes back";
  EXPECT_EQ(previous(LOG_STATUS, 7), "0") << "no file is an empty log, not one of 7 records";
  EXPECT_EQ(previous(LOG_EVENT, INT64_MAX), "0");
  EXPECT_EQ(previous(LOG_STATUS, 0), "0");
  dir_.write("status", "");
  EXPECT_EQ(previous(LOG_STATUS, 7), "0") << "as an existing empty log answers";

  fillEvents(3);
  ASSERT_EQ(store_->clear(LOG_EVENT), RC_OK);
  EXPECT_FALSE(dir_.exists("event"));
  EXPECT_EQ(store_->count(LOG_EVENT), 0);
  EXPECT_EQ(store_->clear(LOG_EVENT), RC_OK) << "clearing a missing log succeeds";
  ASSERT_EQ(store_->appendEvent(timeOf(5), 5), RC_OK);
  EXPECT_EQ(next(LOG_EVENT, 0), "1 " + eventText(5) + "\n") << "numbering starts again at 0";

  for (int kind : {3, 7, -1}) {
    EXPECT_EQ(store_->count(kind), 0) << kind;
    EXPECT_EQ(next(kind, 0), "untouched") << kind;
    EXPECT_EQ(previous(kind, 10), "untouched") << kind;
    EXPECT_EQ(store_->clear(kind), RC_OK) << kind;
  }
  EXPECT_EQ(store_->count(LOG_EVENT), 1) << "an unknown kind touches no file";
}

TEST_F(LogStoreTest, SavedLogIsServedWhole) {
  EXPECT_EQ(previous(LOG_SAVED, 1), "0") << "missing";
  dir_.write("saved", "");
  EXPECT_EQ(previous(LOG_SAVED, 1), "0") << "empty";
  dir_.write("saved", "Letter - Editor\tC:\\PCTemp\\temp0000\r\nNotes\tC:\\PCTemp\\temp0001\n");
  EXPECT_EQ(previous(LOG_SAVED, 3),
            "0 Letter - Editor\tC:\\PCTemp\\temp0000\nNotes\tC:\\PCTemp\\temp0001\n");
  EXPECT_EQ(previous(LOG_SAVED, -3), previous(LOG_SAVED, 3)) << "any non-zero cursor";
  EXPECT_EQ(previous(LOG_SAVED, 0), "0");
  EXPECT_EQ(next(LOG_SAVED, 0), "untouched");
  EXPECT_EQ(store_->count(LOG_SAVED), static_cast<int64_t>(dir_.read("saved").size() / 2));
  ASSERT_EQ(store_->clear(LOG_SAVED), RC_OK);
  EXPECT_FALSE(dir_.exists("saved"));
}

TEST_F(LogStoreTest, TornLastRecordIsCutBeforeTheNextAppend) {
  fillEvents(3);
  dir_.write("event", dir_.read("event") + "2002/11/05 1");  // a crash mid-append
  EXPECT_EQ(store_->count(LOG_EVENT), 3);
  ASSERT_EQ(store_->appendEvent(timeOf(9), 9), RC_OK);
  EXPECT_EQ(store_->count(LOG_EVENT), 4);
  EXPECT_EQ(next(LOG_EVENT, 3), "4 " + eventText(9) + "\n");
}

struct RecordingFailures : AppendFailureSink {
  void appendFailed(const std::string& file, const std::string& record, ResultCode rc) override {
    std::lock_guard<std::mutex> hold(mutex);
    seen.push_back(file + " " + record + " " + std::to_string(static_cast<int>(rc)));
  }
  std::mutex mutex;
  std::vector<std::string> seen;
};

TEST_F(LogStoreTest, ALostRecordIsReportedOncePerRunOfFailures) {
  RecordingFailures failures;
  LogStore nowhere(dir_.file("no-such-dir"), &failures);
  EXPECT_EQ(nowhere.appendEvent(timeOf(0), 4), RC_NOT_AVAILABLE);
  EXPECT_EQ(nowhere.appendEvent(timeOf(1), 5), RC_NOT_AVAILABLE);
  EXPECT_EQ(nowhere.appendStatus(timeOf(0), StatusValues{}), RC_NOT_AVAILABLE);
  EXPECT_EQ(nowhere.count(LOG_EVENT), 0);
  ASSERT_EQ(failures.seen.size(), 2u) << "once per log, not once per record";
  EXPECT_EQ(failures.seen[0], "event " + LogStore::eventRecordText(timeOf(0), 4) + " 2");
  EXPECT_EQ(failures.seen[1].rfind("status ", 0), 0u);

  // Back to working, then failing again: a second report.
  std::filesystem::create_directory(dir_.file("no-such-dir"));
  EXPECT_EQ(nowhere.appendEvent(timeOf(2), 6), RC_OK);
  std::filesystem::remove_all(dir_.file("no-such-dir"));
  EXPECT_EQ(nowhere.appendEvent(timeOf(3), 7), RC_NOT_AVAILABLE);
  EXPECT_EQ(failures.seen.size(), 3u);
  EXPECT_EQ(nowhere.appendEvent(timeOf(3), 1000), RC_BAD_VALUE);
  EXPECT_EQ(failures.seen.size(), 3u) << "a refused record is no failure of the disk";
}

TEST_F(LogStoreTest, AFullDiskLeavesNoTornRecord) {
  fillEvents(3);
  // The file may grow by 10 bytes only: the fourth record gets part of its 25 bytes written.
  // Done in a child, so that the limit holds for nobody else.
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{3 * 25 + 10, 3 * 25 + 10};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    RecordingFailures failures;
    LogStore full(dir_.path(), &failures);
    ResultCode first = full.appendEvent(timeOf(7), 7);
    ResultCode second = full.appendEvent(timeOf(8), 8);
    ::_exit(first == RC_NOT_AVAILABLE && second == RC_NOT_AVAILABLE && failures.seen.size() == 1
                ? 0
                : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "both appends fail, one report";
  EXPECT_EQ(dir_.read("event").size(), 3u * 25) << "the part that reached the disk is cut off";
  EXPECT_EQ(next(LOG_EVENT, 0), "3 " + eventsBody(0, 3));
  EXPECT_EQ(previous(LOG_EVENT, 3), "0 " + eventsBody(0, 3));
}

TEST_F(LogStoreTest, WorkerAppendsInterleaveWithPageReadsWithoutTearing) {
  constexpr int kThreads = 4;
  constexpr int kEach = 300;
  std::vector<std::thread> workers;
  for (int t = 0; t < kThreads; ++t) {
    workers.emplace_back([this, t] {
      for (int i = 0; i < kEach; ++i) (void)store_->appendEvent(timeOf(i), t);  // checked below
    });
  }
  const std::regex record(R"(\d{4}/\d\d/\d\d \d\d:\d\d:\d\d 00[0-3])");
  for (int pass = 0; pass < 50; ++pass) {
    std::string page = next(LOG_EVENT, std::max<int64_t>(0, store_->count(LOG_EVENT) - 10));
    size_t blank = page.find(' ');
    if (blank == std::string::npos) continue;
    for (size_t at = blank + 1; at < page.size(); at += kEventRecordLength + 1) {
      ASSERT_TRUE(std::regex_match(page.substr(at, kEventRecordLength), record)) << page;
    }
  }
  for (auto& w : workers) w.join();
  EXPECT_EQ(store_->count(LOG_EVENT), kThreads * kEach);
  EXPECT_EQ(dir_.read("event").size(), static_cast<size_t>(kThreads * kEach * 25));
}

}  // namespace
}  // namespace gw
