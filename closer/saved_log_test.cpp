// The "saved" records: one line each, whatever the title holds, and lost quietly when the file
// cannot be opened.
#include "closer/saved_log.h"

#include <gtest/gtest.h>

#include <sstream>
#include <thread>
#include <vector>

#include "testing/temp_dir.h"

namespace gw {
namespace {

TEST(SavedLogTest, OneLinePerRecordWithTitleTabAndPath) {
  TempDir dir;
  SavedLog log(dir.file("saved"));
  ASSERT_EQ(log.append("Report - Editor", "/home/ann/PCTemp/temp0000"), RC_OK);
  ASSERT_EQ(log.append("Two\r\nlines\n", "/x/temp0001"), RC_OK);
  EXPECT_EQ(dir.read("saved"),
            "Report - Editor\t/home/ann/PCTemp/temp0000\n"
            "Two  lines \t/x/temp0001\n");

  const std::string longer(300, 'a');
  EXPECT_EQ(SavedLog::recordText(longer, "/p"), std::string(255, 'a') + "\t/p\n");
  // A two-byte character across the limit is dropped whole rather than split.
  const std::string umlauts = std::string(254, 'b') + "\xC3\xA4" + "more";
  EXPECT_EQ(SavedLog::recordText(umlauts, "/p"), std::string(254, 'b') + "\t/p\n");

  SavedLog nowhere(dir.file("no/such/dir/saved"));
  EXPECT_EQ(nowhere.append("t", "/p"), RC_NOT_AVAILABLE);
}

TEST(SavedLogTest, AppendsFromManyThreadsStayWholeLines) {
  TempDir dir;
  SavedLog log(dir.file("saved"));
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&log, t] {
      for (int i = 0; i < 100; ++i) {
        (void)log.append("window " + std::to_string(t), std::string(200, 'p') + std::to_string(i));
      }
    });
  }
  for (auto& th : threads) th.join();
  std::istringstream lines(dir.read("saved"));
  std::string line;
  int count = 0;
  while (std::getline(lines, line)) {
    ++count;
    EXPECT_EQ(line.rfind("window ", 0), 0u) << line;
    EXPECT_EQ(line.find('\t'), 8u) << line;
  }
  EXPECT_EQ(count, 800);
}

}  // namespace
}  // namespace gw
