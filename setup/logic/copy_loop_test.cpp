// The copy loop against a scripted file installer: each fault's message, the three choices,
// the progress by bytes, and a cancel between rows.
#include "setup/logic/copy_loop.h"

#include <gtest/gtest.h>

#include "setup/logic/setup_tables.h"
#include "testing/fake_clock.h"
#include "testing/fake_file_installer.h"
#include "testing/recording_prompts.h"
#include "testing/temp_dir.h"

namespace gw::setup {
namespace {

class RecordingCopyObserver : public CopyObserver {
 public:
  void progress(int percent) override { percents.push_back(percent); }
  bool cancelled() override { return static_cast<int>(percents.size()) >= cancel_after_rows; }
  std::vector<int> percents;
  int cancel_after_rows = 1000;
};

class CopyLoopTest : public ::testing::Test {
 protected:
  void SetUp() override { std::filesystem::create_directories(root_.file("opt/GridwatchPlus")); }

  bool run() {
    CopyLoop loop(installer_, prompts_, clock_);
    return loop.run("/media/cd", "/opt/GridwatchPlus", InstallRoot(root_.path()), observer_);
  }

  TempDir root_;
  FakeFileInstaller installer_;
  RecordingPrompts prompts_;
  FakeClock clock_;
  RecordingCopyObserver observer_;
};

TEST_F(CopyLoopTest, EachFaultGivesItsMessageFirstMatchWinning) {
  const std::string in = "/opt/GridwatchPlus/porter";
  struct Row {
    uint32_t result;
    std::string text;
  } rows[] = {
      {kInstallFileInUse, "File " + in + " in use."},
      {kInstallFileInUse | kInstallOutOfSpace | kInstallCannotReadSource, "File " + in + " in use."},
      {kInstallOutOfSpace | kInstallAccessViolation, "Out of disk space."},
      {kInstallAccessViolation | kInstallSharingViolation, "File " + in + " access violation."},
      {kInstallSharingViolation, "File " + in + " sharing violation."},
      {kInstallOutOfMemory | kInstallCannotReadSource, "Out of memory."},
      {kInstallCannotReadSource, "Cannot read source file /media/cd/porter.ex_."},
      {kInstallCannotCreate, "Unknown error encountered.\nError Code: 0x800"},
      {kInstallCannotRename | kInstallCannotCreate, "Unknown error encountered.\nError Code: 0x2800"},
  };
  for (const Row& row : rows) {
    FakeFileInstaller installer;
    RecordingPrompts prompts;
    prompts.faults = {FaultChoice::kIgnore};
    installer.script("porter", {row.result});
    CopyLoop loop(installer, prompts, clock_);
    EXPECT_TRUE(loop.run("/media/cd", "/opt/GridwatchPlus", InstallRoot(root_.path()), observer_));
    ASSERT_EQ(prompts.fault_boxes.size(), 1u) << row.text;
    EXPECT_EQ(prompts.fault_boxes[0].caption, "Setup");
    EXPECT_EQ(prompts.fault_boxes[0].text, row.text);
  }
}

TEST_F(CopyLoopTest, RetryRepeatsTheRowIgnoreGoesOnAbortEnds) {
  // Retry twice on a busy file, then it goes in.
  installer_.script("monsvc", {kInstallFileInUse, kInstallFileInUse});
  prompts_.faults = {FaultChoice::kRetry, FaultChoice::kRetry};
  // A missing distribution file, ignored: no further message, the rest is copied.
  installer_.script("libpmx.so", {kInstallCannotReadSource});
  prompts_.faults.push_back(FaultChoice::kIgnore);
  EXPECT_TRUE(run());
  std::vector<std::string> expected;
  for (const ProgramFile& row : kProgramFiles) {
    expected.push_back(row.installed);
    if (std::string(row.installed) == "monsvc") expected.insert(expected.end(), 2, "monsvc");
  }
  EXPECT_EQ(installer_.targets(), expected);
  EXPECT_EQ(prompts_.fault_boxes.size(), 3u);
  EXPECT_FALSE(root_.exists("opt/GridwatchPlus/libpmx.so"));
  EXPECT_TRUE(root_.exists("opt/GridwatchPlus/otemp.wav"));
  // Every row goes to the installation folder under the root, from the distribution folder.
  EXPECT_EQ(installer_.calls[0].source, "/media/cd/monview.ex_");
  EXPECT_EQ(installer_.calls[0].target, root_.file("opt/GridwatchPlus/monview"));
  EXPECT_EQ(installer_.calls[0].mode, 0755u);

  // Abort on the third row: the copy fails at once, the two rows before it stay.
  FakeFileInstaller installer;
  RecordingPrompts prompts;
  installer.script("porter", {kInstallOutOfSpace});
  prompts.faults = {FaultChoice::kAbort};
  TempDir root;
  std::filesystem::create_directories(root.file("opt/GridwatchPlus"));
  CopyLoop loop(installer, prompts, clock_);
  EXPECT_FALSE(loop.run("/media/cd", "/opt/GridwatchPlus", InstallRoot(root.path()), observer_));
  EXPECT_EQ(installer.targets(), (std::vector<std::string>{"monview", "monsvc", "porter"}));
  EXPECT_TRUE(root.exists("opt/GridwatchPlus/monsvc"));
}

TEST_F(CopyLoopTest, ProgressFollowsTheBytesAndTheDialogLingers) {
  // 1000 bytes in all: monview 500, monsvc 250, the last sound 250, the rest nothing.
  installer_.setSize("monview.ex_", 500);
  installer_.setSize("monsvc.ex_", 250);
  installer_.setSize("otemp.wa_", 250);
  EXPECT_TRUE(run());
  ASSERT_EQ(observer_.percents.size(), kProgramFiles.size());
  EXPECT_EQ(observer_.percents.front(), 50);
  EXPECT_EQ(observer_.percents[1], 75);
  EXPECT_EQ(observer_.percents[11], 75);
  EXPECT_EQ(observer_.percents.back(), 100);
  EXPECT_EQ(clock_.slept(), 500);

  // Nothing to copy at all is done, not a division by zero.
  FakeFileInstaller empty;
  RecordingCopyObserver observer;
  CopyLoop loop(empty, prompts_, clock_);
  EXPECT_TRUE(loop.run("/media/cd", "/opt/GridwatchPlus", InstallRoot(root_.path()), observer));
  EXPECT_EQ(observer.percents.back(), 100);
}

TEST_F(CopyLoopTest, CancelBetweenRowsFailsAndKeepsTheCopiedFiles) {
  observer_.cancel_after_rows = 3;
  EXPECT_FALSE(run());
  EXPECT_EQ(installer_.targets(), (std::vector<std::string>{"monview", "monsvc", "porter"}));
  EXPECT_TRUE(root_.exists("opt/GridwatchPlus/monview"));
  EXPECT_TRUE(root_.exists("opt/GridwatchPlus/porter"));
  EXPECT_FALSE(root_.exists("opt/GridwatchPlus/libpmx.so"));
  EXPECT_EQ(clock_.slept(), 0) << "a cancelled copy closes at once";
}

}  // namespace
}  // namespace gw::setup
