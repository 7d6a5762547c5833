// The three modes end to end over fakes: the copy mode's temporary uninstaller, the removal it
// starts, and the temporary copy deleting itself.
#include "setup/logic/setup_program.h"

#include <gtest/gtest.h>

#include "setup/logic/mspack_file_installer.h"
#include "setup/logic/setup_tables.h"
#include "testing/fake_clock.h"
#include "testing/fake_instance_marker.h"
#include "testing/fake_program_starter.h"
#include "testing/recording_prompts.h"
#include "testing/recording_service_registrar.h"
#include "testing/temp_dir.h"

namespace gw::setup {
namespace {

class EndingWizard : public InstallUi {
 public:
  bool run(InstallSession& session) override {
    source = session.sourceFolder();
    return finish;
  }
  std::string source;
  bool finish = true;
};

class NullRemoval : public RemovalObserver {
  void begin() override {}
  void progress(int) override {}
  void end() override {}
};

class SetupProgramTest : public ::testing::Test {
 protected:
  SetupServices services() {
    return SetupServices{prompts_, installer_, starter_, registrar_, clock_, client_,
                         [this](const std::string& dir) {
                           service_dir_ = dir;
                           return std::make_unique<FakeInstanceMarker>(clock_, false);
                         },
                         wizard_, removal_};
  }
  int run(std::vector<std::string> args, const std::string& own_folder) {
    args.insert(args.end(), {"--root", root_.path()});
    SetupCommand command;
    EXPECT_EQ(parseSetupCommand(args, &command), RC_OK);
    SetupProgram program(services());
    return program.run(command, SetupPlaces{own_folder, temp_.path()});
  }

  TempDir root_;
  TempDir temp_;
  FakeClock clock_;
  RecordingPrompts prompts_;
  MspackFileInstaller installer_;
  FakeProgramStarter starter_;
  RecordingServiceRegistrar registrar_{root_.path()};
  FakeInstanceMarker client_{clock_, false};
  EndingWizard wizard_;
  NullRemoval removal_;
  std::string service_dir_;
};

TEST_F(SetupProgramTest, CopyModeStartsATemporaryUninstallerForItsOwnFolder) {
  std::string folder = root_.file("opt/GridwatchPlus");
  std::filesystem::create_directories(folder);
  root_.write("opt/GridwatchPlus/Uninstal", "uninstaller");
  EXPECT_EQ(run({"-Remove"}, folder), 0);
  EXPECT_EQ(temp_.read("Uninstal"), "uninstaller");
  ASSERT_EQ(starter_.starts.size(), 1u);
  EXPECT_EQ(starter_.starts[0].program, temp_.file("Uninstal"));
  EXPECT_EQ(starter_.starts[0].args,
            (std::vector<std::string>{"--root", root_.path(), "-Remove/opt/GridwatchPlus"}));
  EXPECT_TRUE(root_.exists("opt/GridwatchPlus/Uninstal")) << "copy mode removes nothing";

  // Without its own file the copy cannot be made.
  std::filesystem::remove(root_.file("opt/GridwatchPlus/Uninstal"));
  EXPECT_EQ(run({}, folder), 1);
  EXPECT_EQ(prompts_.messages.back().text, "Please check the source disk or folder !");
  EXPECT_EQ(starter_.starts.size(), 1u);
}

TEST_F(SetupProgramTest, TheTemporaryCopyRemovesTheFolderAndThenItself) {
  root_.write("placeholder", "");
  std::filesystem::create_directories(root_.file("opt/GridwatchPlus"));
  root_.write("opt/GridwatchPlus/monsvc", "program");
  temp_.write("Uninstal", "uninstaller");
  EXPECT_EQ(run({"-Remove/opt/GridwatchPlus"}, temp_.path()), 0);
  EXPECT_EQ(service_dir_, root_.file("opt/GridwatchPlus"));
  EXPECT_FALSE(root_.exists("opt/GridwatchPlus"));
  EXPECT_FALSE(temp_.exists("Uninstal"));
  EXPECT_EQ(prompts_.messages.back().text, "Uninstall completed.");
}

TEST_F(SetupProgramTest, InstallModeRunsTheWizardFromTheGivenFolder) {
  temp_.write("Install", "installer");
  EXPECT_EQ(run({"/media/cd/"}, temp_.path()), 0);
  EXPECT_EQ(wizard_.source, "/media/cd");
  EXPECT_FALSE(temp_.exists("Install"));
  wizard_.finish = false;
  EXPECT_EQ(run({"/media/cd/"}, "/usr/local/bin"), 1);
}

}  // namespace
}  // namespace gw::setup
