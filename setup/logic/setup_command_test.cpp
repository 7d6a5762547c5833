// The installer's command line, and the folder the launcher hands it from the root folder and
// from a sub-folder.
#include "setup/logic/setup_command.h"

#include <gtest/gtest.h>

#include "setup/logic/copy_loop.h"
#include "setup/logic/launcher.h"
#include "testing/fake_clock.h"
#include "testing/fake_file_installer.h"
#include "testing/recording_prompts.h"
#include "testing/temp_dir.h"

namespace gw::setup {
namespace {

TEST(SetupCommand, TheTextSelectsTheMode) {
  struct Row {
    std::vector<std::string> args;
    SetupMode mode;
    std::string folder;
  } rows[] = {
      {{}, SetupMode::kCopyForRemoval, ""},
      {{"-Remove"}, SetupMode::kCopyForRemoval, ""},
      {{"-Remove/opt/GridwatchPlus"}, SetupMode::kRemove, "/opt/GridwatchPlus"},
      {{"-Remove/opt/Grid", "watch"}, SetupMode::kRemove, "/opt/Grid watch"},
      {{"-remove"}, SetupMode::kInstall, "-remove"},
      {{"/media/cd/"}, SetupMode::kInstall, "/media/cd"},
      {{"/media/cd"}, SetupMode::kInstall, "/media/cd"},
      {{"/"}, SetupMode::kInstall, ""},
  };
  for (const Row& row : rows) {
    SetupCommand command;
    ASSERT_EQ(parseSetupCommand(row.args, &command), RC_OK);
    EXPECT_EQ(command.mode, row.mode) << ::testing::PrintToString(row.args);
    EXPECT_EQ(command.folder, row.folder) << ::testing::PrintToString(row.args);
    EXPECT_EQ(command.root, "/");
    EXPECT_FALSE(command.unattended);
  }
}

TEST(SetupCommand, OptionsAnywhereAndForwarded) {
  SetupCommand command;
  ASSERT_EQ(parseSetupCommand({"--unattended", "-Remove", "--root", "/tmp/r"}, &command), RC_OK);
  EXPECT_EQ(command.mode, SetupMode::kCopyForRemoval);
  EXPECT_EQ(command.root, "/tmp/r");
  EXPECT_TRUE(command.unattended);
  EXPECT_EQ(forwardedOptions(command),
            (std::vector<std::string>{"--root", "/tmp/r", "--unattended"}));
  EXPECT_EQ(parseSetupCommand({"/media/cd/", "--root"}, &command), RC_MISSING_ARGUMENT);
  EXPECT_EQ(command.root, "/tmp/r") << "untouched on failure";
  EXPECT_TRUE(forwardedOptions(SetupCommand{}).empty());
}

class NoCancel : public CopyObserver {
  void progress(int) override {}
  bool cancelled() override { return false; }
};

TEST(SetupCommand, TheLaunchersFolderReachesTheCopyWholeFromRootAndSubFolder) {
  EXPECT_EQ(sourceFolderOf("/launcher"), "/");
  EXPECT_EQ(sourceFolderOf("/media/cd/setup/launcher"), "/media/cd/setup/");
  struct Row {
    const char* launcher;
    const char* first_source;
  } rows[] = {{"/launcher", "/monview.ex_"},
              {"/media/cd/setup/launcher", "/media/cd/setup/monview.ex_"}};
  for (const Row& row : rows) {
    SetupCommand command;
    ASSERT_EQ(parseSetupCommand({sourceFolderOf(row.launcher)}, &command), RC_OK);
    ASSERT_EQ(command.mode, SetupMode::kInstall);
    FakeFileInstaller installer;
    RecordingPrompts prompts;
    FakeClock clock;
    NoCancel observer;
    TempDir root;
    std::filesystem::create_directories(root.file("opt/GridwatchPlus"));
    CopyLoop loop(installer, prompts, clock);
    EXPECT_TRUE(loop.run(command.folder, "/opt/GridwatchPlus", InstallRoot(root.path()), observer));
    EXPECT_EQ(installer.calls.at(0).source, row.first_source);
  }
}

}  // namespace
}  // namespace gw::setup
