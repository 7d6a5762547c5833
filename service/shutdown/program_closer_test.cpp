// The closer program: where it is started from, how long it is waited for, and that a hanging
// one is left running.
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
  ProgramCloser closer("/opt/gridwatch", clock_, launches_.running(5000));
  EXPECT_EQ(closer.closeApplications(), RC_OK);
  ASSERT_EQ(launches_.launched.size(), 1u);
  EXPECT_EQ(launches_.launched[0].program, "/opt/gridwatch/sweeper");
  EXPECT_TRUE(launches_.launched[0].args.empty());
  EXPECT_GE(clock_.slept(), 5000);
  EXPECT_LE(clock_.slept(), 5000 + ProgramCloser::kPollMs) << "waited past the closer's end";
}

TEST_F(ProgramCloserTest, MissingCloserIsNotWaitedFor) {
  ProgramCloser closer("/d", clock_, launches_.missing());
  EXPECT_EQ(closer.closeApplications(), RC_NOT_AVAILABLE);
  EXPECT_EQ(clock_.slept(), 0);

  // The same with the real launcher and a service directory without the closer.
  TempDir dir;
  ProgramCloser real(dir.path(), clock_);
  EXPECT_EQ(real.closeApplications(), RC_NOT_AVAILABLE);
  EXPECT_EQ(clock_.slept(), 0);
}

TEST_F(ProgramCloserTest, HangingCloserIsLeftRunningAfterTwoMinutes) {
  ProgramCloser closer("/d", clock_, launches_.running(FakeChildProcess::kNever));
  int64_t start = clock_.monotonicMs();
  EXPECT_EQ(closer.closeApplications(), RC_TIMEOUT);
  EXPECT_EQ(clock_.monotonicMs() - start, ApplicationCloser::kWaitLimitMs);
  EXPECT_GT(launches_.counts.waits, 0);
  EXPECT_EQ(launches_.counts.terminations, 0) << "the closer is left running";
  EXPECT_EQ(launches_.counts.stop_requests, 0);

  // A closer that ends just inside the limit is waited for.
  ProgramCloser late("/d", clock_, launches_.running(ApplicationCloser::kWaitLimitMs - 1));
  EXPECT_EQ(late.closeApplications(), RC_OK);
}

TEST_F(ProgramCloserTest, RealCloserProgramIsStartedFromTheServiceDirectory) {
  TempDir dir;
  dir.writeScript("sweeper", "echo \"$#\" > \"$(dirname \"$0\")/ran\"\n");
  ProgramCloser closer(dir.path(), systemClock());
  EXPECT_EQ(closer.closeApplications(), RC_OK);
  EXPECT_EQ(dir.read("ran"), "0\n") << "started without arguments";
}

}  // namespace
}  // namespace gw
