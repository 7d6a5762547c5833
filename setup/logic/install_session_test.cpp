// A whole installation without a window: a distribution folder of compressed files, the real
// file installer, a scratch root, and the steps in the wizard's order.
#include "setup/logic/install_session.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "setup/logic/mspack_file_installer.h"
#include "setup/logic/setup_tables.h"
#include "testing/fake_clock.h"
#include "testing/fake_program_starter.h"
#include "testing/recording_prompts.h"
#include "testing/recording_service_registrar.h"
#include "testing/temp_dir.h"
#include "tools/szdd/szdd_compressor.h"

namespace gw::setup {
namespace {

class CancelAfter : public CopyObserver {
 public:
  explicit CancelAfter(int rows) : rows_(rows) {}
  void progress(int) override { ++done_; }
  bool cancelled() override { return done_ >= rows_; }

 private:
  int rows_;
  int done_ = 0;
};

class InstallSessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const ProgramFile& row : kProgramFiles) {
      std::string packed;
      ASSERT_EQ(szddCompress(contents(row), '\0', &packed), RC_OK);
      media_.write(row.compressed, packed);
    }
  }
  static std::string contents(const ProgramFile& row) {
    return std::string("contents of ") + row.installed + "\n";
  }

  TempDir media_;
  TempDir root_;
  FakeClock clock_;
  RecordingPrompts prompts_;
  MspackFileInstaller installer_;
  RecordingServiceRegistrar registrar_{root_.path()};
  FakeProgramStarter starter_{&clock_};
  SystemSteps steps_{InstallRoot(root_.path()), registrar_, UsbIds{1, 2}};
  InstallSession session_{media_.path(), InstallRoot(root_.path()), prompts_, installer_, steps_,
                          starter_, clock_};
};

TEST_F(InstallSessionTest, TheDefaultFolderThroughToTheServiceStart) {
  EXPECT_EQ(session_.folder(), "/opt/GridwatchPlus");
  ASSERT_TRUE(session_.acceptFolder(session_.folder()));
  EXPECT_EQ(prompts_.questions.size(), 1u) << "the missing default folder is asked about";
  CancelAfter never(1000);
  ASSERT_TRUE(session_.copyAndRegister(never));
  for (const ProgramFile& row : kProgramFiles) {
    std::string path = "opt/GridwatchPlus/" + std::string(row.installed);
    EXPECT_EQ(root_.read(path), contents(row)) << path;
    struct stat st{};
    ASSERT_EQ(::stat(root_.file(path).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, row.mode) << path;
  }
  EXPECT_EQ(registrar_.log, (std::vector<std::string>{"register NorvaneUPS"}));
  EXPECT_TRUE(root_.exists("etc/gridwatch/registry"));
  EXPECT_TRUE(root_.exists("etc/udev/rules.d/70-oem0.rules"));

  int64_t t0 = clock_.monotonicMs();
  session_.finish(true);
  ASSERT_EQ(starter_.starts.size(), 2u);
  EXPECT_EQ(starter_.starts[0].program, root_.file("opt/GridwatchPlus/monsvc"));
  EXPECT_EQ(starter_.starts[0].args, (std::vector<std::string>{"-start"}));
  EXPECT_EQ(starter_.starts[1].program, root_.file("opt/GridwatchPlus/monview"));
  EXPECT_EQ(starter_.starts[1].at_ms - t0, 1000);
  session_.finish(false);
  EXPECT_EQ(starter_.starts.size(), 3u) << "without the check box, the service only";
}

TEST_F(InstallSessionTest, ACancelledCopyKeepsItsFilesAndChangesNothingElse) {
  std::filesystem::create_directories(root_.file("srv/gw"));
  ASSERT_TRUE(session_.acceptFolder("/srv/gw/"));
  EXPECT_TRUE(prompts_.questions.empty()) << "an existing folder is taken without a question";
  EXPECT_EQ(session_.folder(), "/srv/gw");
  CancelAfter two(2);
  EXPECT_FALSE(session_.copyAndRegister(two));
  EXPECT_TRUE(root_.exists("srv/gw/monview"));
  EXPECT_TRUE(root_.exists("srv/gw/monsvc"));
  EXPECT_FALSE(root_.exists("srv/gw/porter"));
  EXPECT_TRUE(registrar_.log.empty());
  EXPECT_FALSE(root_.exists("etc"));
}

}  // namespace
}  // namespace gw::setup
