// The Choose Directory check: which folders pass silently, which ask, which are refused, and
// that a No leaves no folder behind.
#include "setup/logic/destination_check.h"

#include <gtest/gtest.h>

#include "testing/recording_prompts.h"
#include "testing/temp_dir.h"

namespace gw::setup {
namespace {

class DestinationCheckTest : public ::testing::Test {
 protected:
  std::string invalidText(const std::string& folder) {
    return "The specified directory:\n\n'" + folder +
           "'\n\nis invalid, incomplete or write protected. Please type a full path; for example "
           "'/opt/APPS'.";
  }
  TempDir root_;
  InstallRoot install_root_{root_.path()};
  RecordingPrompts prompts_;
  DestinationCheck check_{install_root_, prompts_};
};

TEST_F(DestinationCheckTest, AnExistingFolderIsTakenWithoutAQuestion) {
  std::filesystem::create_directories(root_.file("opt/GridwatchPlus"));
  EXPECT_TRUE(check_.accept("/opt/GridwatchPlus"));
  EXPECT_TRUE(check_.accept("/"));
  EXPECT_TRUE(prompts_.questions.empty());
  EXPECT_TRUE(prompts_.messages.empty());
}

TEST_F(DestinationCheckTest, AMissingFolderIsCreatedOnlyAfterYes) {
  prompts_.yes_no = {false, true};
  const std::string folder = "/opt/Norvane/GridwatchPlus";
  EXPECT_FALSE(check_.accept(folder));
  ASSERT_EQ(prompts_.questions.size(), 1u);
  EXPECT_EQ(prompts_.questions[0].caption, "Setup");
  EXPECT_EQ(prompts_.questions[0].text,
            "The directory:\n\n'/opt/Norvane/GridwatchPlus'\n\ndoes not exist. Do you want the "
            "directory to be created?");
  EXPECT_FALSE(root_.exists("opt")) << "the trial creation must be undone, parents included";

  EXPECT_TRUE(check_.accept(folder));
  EXPECT_TRUE(std::filesystem::is_directory(root_.file("opt/Norvane/GridwatchPlus")));
  EXPECT_EQ(prompts_.questions.size(), 2u);
}

TEST_F(DestinationCheckTest, AFolderThatCannotBeMadeIsRefusedWithAWarning) {
  root_.write("file", "not a folder");
  for (std::string folder : {"relative/path", "/file/GridwatchPlus", "/file"}) {
    RecordingPrompts prompts;
    DestinationCheck check(install_root_, prompts);
    EXPECT_FALSE(check.accept(folder)) << folder;
    EXPECT_TRUE(prompts.questions.empty()) << folder;
    ASSERT_EQ(prompts.messages.size(), 1u) << folder;
    EXPECT_EQ(prompts.messages[0].caption, "Setup");
    EXPECT_EQ(prompts.messages[0].text, invalidText(folder));
    EXPECT_EQ(prompts.message_kinds[0], MessageKind::kWarning);
  }
  EXPECT_FALSE(root_.exists("relative"));
}

}  // namespace
}  // namespace gw::setup
