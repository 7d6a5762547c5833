// The launcher with the real expansion into a scratch temporary folder.
#include "setup/logic/launcher.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "setup/logic/mspack_file_installer.h"
#include "testing/fake_file_installer.h"
#include "testing/fake_program_starter.h"
#include "testing/recording_prompts.h"
#include "testing/temp_dir.h"
#include "tools/szdd/szdd_compressor.h"

namespace gw::setup {
namespace {

class LauncherTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string packed;
    ASSERT_EQ(szddCompress(kProgram, '\0', &packed), RC_OK);
    media_.write("Install.ex_", packed);
  }
  static constexpr const char* kProgram = "#!/bin/sh\necho the installer\n";

  TempDir media_;
  TempDir temp_;
  RecordingPrompts prompts_;
  MspackFileInstaller installer_;
  FakeProgramStarter starter_;
  Launcher launcher_{prompts_, installer_, starter_};
};

TEST_F(LauncherTest, NoLeavesNothingInTheTemporaryFolder) {
  prompts_.yes_no = {false};
  launcher_.run(media_.file("launcher"), temp_.path(), {});
  ASSERT_EQ(prompts_.questions.size(), 1u);
  EXPECT_EQ(prompts_.questions[0].caption, "Setup");
  EXPECT_EQ(prompts_.questions[0].text, "Do you want to install the \"Gridwatch Plus\" ?");
  EXPECT_TRUE(std::filesystem::is_empty(temp_.path()));
  EXPECT_TRUE(starter_.starts.empty());
}

TEST_F(LauncherTest, YesExpandsTheInstallerAndStartsItWithTheFolder) {
  launcher_.run(media_.file("launcher"), temp_.path(), {"--unattended"});
  EXPECT_EQ(temp_.read("Install"), kProgram);
  struct stat st{};
  ASSERT_EQ(::stat(temp_.file("Install").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0755u);
  ASSERT_EQ(starter_.starts.size(), 1u);
  EXPECT_EQ(starter_.starts[0].program, temp_.file("Install"));
  EXPECT_EQ(starter_.starts[0].args,
            (std::vector<std::string>{"--unattended", media_.path() + "/"}));
  EXPECT_TRUE(prompts_.messages.empty());
}

TEST_F(LauncherTest, OnlyAnUnreadableSourceIsReported) {
  std::filesystem::remove(media_.file("Install.ex_"));
  launcher_.run(media_.file("launcher"), temp_.path(), {});
  ASSERT_EQ(prompts_.messages.size(), 1u);
  EXPECT_EQ(prompts_.messages[0].caption, "");
  EXPECT_EQ(prompts_.messages[0].text, "Please check the source disk or folder !");
  EXPECT_EQ(prompts_.message_kinds[0], MessageKind::kError);
  EXPECT_TRUE(starter_.starts.empty());

  // A file in use (an older copy left running) is passed over: the installer still starts.
  FakeFileInstaller busy;
  busy.script("Install", {kInstallFileInUse});
  RecordingPrompts prompts;
  Launcher launcher(prompts, busy, starter_);
  launcher.run(media_.file("launcher"), temp_.path(), {});
  EXPECT_TRUE(prompts.messages.empty());
  EXPECT_EQ(starter_.starts.size(), 1u);
}

}  // namespace
}  // namespace gw::setup
