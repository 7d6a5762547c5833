// The closer program: where it is started from and in which session, how long it is waited
// for, that a hanging one is left running, and how its records reach the saved log.
#include "service/shutdown/program_closer.h"

#include <gtest/gtest.h>

#include "testing/closer_launchers.h"
#include "testing/fake_clock.h"
#include "testing/temp_dir.h"

namespace gw {
namespace {

class ProgramCloserTest : public ::testing::Test {
 protected:
  FakeClock clock_;
  CloserLaunches launches_{clock_};
};

TEST_F(ProgramCloserTest, WaitsForTheCloserToEndAndNoLonger) {
  auto closer = launches_.closer("/opt/gridwatch", launches_.running(5000));
  EXPECT_EQ(closer->closeApplications(), RC_OK);
  ASSERT_EQ(launches_.launched.size(), 1u);
  EXPECT_EQ(launches_.launched[0].program, "/opt/gridwatch/sweeper");
  EXPECT_EQ(launches_.launched[0].args,
            (std::vector<std::string>{"/L", "/opt/gridwatch/saved.closer"}));
  EXPECT_EQ(launches_.launched[0].extra_env.at("DISPLAY"), ":gridwatch-test");
  EXPECT_GE(clock_.slept(), 5000);
  EXPECT_LE(clock_.slept(), 5000 + ProgramCloser::kPollMs) << "waited past the closer's end";
}

TEST_F(ProgramCloserTest, MissingCloserIsNotWaitedFor) {
  auto closer = launches_.closer("/d", launches_.missing());
  EXPECT_EQ(closer->closeApplications(), RC_NOT_AVAILABLE);
  EXPECT_EQ(clock_.slept(), 0);

  // The same with the real launcher and a service directory without the closer.
  TempDir dir;
  ProgramCloser real(dir.path(), dir.file("saved"), clock_, &CloserLaunches::ownSession,
                     launches_.log);
  EXPECT_EQ(real.closeApplications(), RC_NOT_AVAILABLE);
  EXPECT_EQ(clock_.slept(), 0);
  EXPECT_FALSE(dir.exists("saved.closer")) << "the records file does not outlive the run";
}

TEST_F(ProgramCloserTest, WithoutAGraphicalSessionTheStepIsSkippedAtOnceAndLogged) {
  ProgramCloser closer(
      "/d", "/d/saved", clock_, [](GraphicalSession*) { return RC_NOT_AVAILABLE; }, launches_.log,
      launches_.running(5000));
  EXPECT_EQ(closer.closeApplications(), RC_NOT_AVAILABLE);
  EXPECT_TRUE(launches_.launched.empty());
  EXPECT_EQ(clock_.slept(), 0);
  EXPECT_EQ(launches_.log.infos,
            (std::vector<std::string>{"no graphical session: the applications are not closed"}));
}

TEST_F(ProgramCloserTest, HangingCloserIsLeftRunningAfterTwoMinutes) {
  auto closer = launches_.closer("/d", launches_.running(FakeChildProcess::kNever));
  int64_t start = clock_.monotonicMs();
  EXPECT_EQ(closer->closeApplications(), RC_TIMEOUT);
  EXPECT_EQ(clock_.monotonicMs() - start, ApplicationCloser::kWaitLimitMs);
  EXPECT_GT(launches_.counts.waits, 0);
  EXPECT_EQ(launches_.counts.terminations, 0) << "the closer is left running";
  EXPECT_EQ(launches_.counts.stop_requests, 0);

  // A closer that ends just inside the limit is waited for.
  auto late = launches_.closer("/d", launches_.running(ApplicationCloser::kWaitLimitMs - 1));
  EXPECT_EQ(late->closeApplications(), RC_OK);
}

TEST_F(ProgramCloserTest, RealCloserRunsInTheSessionAndItsRecordsJoinTheSavedLog) {
  TempDir dir;
  dir.write("saved", "Old - Editor\t/home/ann/PCTemp/temp0000\r\n");
  // Writes two records, one with a stray carriage return, and one cut short.
  dir.writeScript("sweeper",
                  "echo \"$# $1 $DISPLAY\" > \"$(dirname \"$0\")/ran\"\n"
                  "printf 'Letter\\t/h/PCTemp/temp0001\\nSk\\retch\\t/h/PCTemp/temp0002\\n"
                  "Half' >> \"$2\"\n");
  ProgramCloser closer(dir.path(), dir.file("saved"), systemClock(), &CloserLaunches::ownSession,
                       launches_.log);
  EXPECT_EQ(closer.closeApplications(), RC_OK);
  EXPECT_EQ(dir.read("ran"), "2 /L :gridwatch-test\n");
  EXPECT_EQ(dir.read("saved"),
            "Old - Editor\t/home/ann/PCTemp/temp0000\r\n"
            "Letter\t/h/PCTemp/temp0001\r\n"
            "Sketch\t/h/PCTemp/temp0002\r\n");
  EXPECT_FALSE(dir.exists("saved.closer"));
}

}  // namespace
}  // namespace gw
