// Removal from a scratch root: the questions, the running programs, the files, and the system
// entries that go even when the folder has gone first.
#include "setup/logic/uninstaller.h"

#include <gtest/gtest.h>

#include "platform/service_host.h"
#include "setup/logic/registry_store.h"
#include "setup/logic/setup_tables.h"
#include "testing/fake_clock.h"
#include "testing/fake_instance_marker.h"
#include "testing/recording_prompts.h"
#include "testing/recording_service_registrar.h"
#include "testing/temp_dir.h"

namespace gw::setup {
namespace {

class RecordingRemoval : public RemovalObserver {
 public:
  void begin() override { events.push_back("begin"); }
  void progress(int percent) override { percents.push_back(percent); }
  void end() override { events.push_back("end"); }
  std::vector<std::string> events;
  std::vector<int> percents;
};

class UninstallerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(root_.file("opt/GridwatchPlus"));
    for (const ProgramFile& row : kProgramFiles) root_.write(in(row.installed), "program");
    for (const std::string& name : removalOnlyFiles()) root_.write(in(name), "data");
    steps_.install("/opt/GridwatchPlus");
  }
  static std::string in(const std::string& name) { return "opt/GridwatchPlus/" + name; }
  bool run(FakeInstanceMarker& client, FakeInstanceMarker& service) {
    Uninstaller uninstaller(install_root_, prompts_, client, service, steps_, clock_);
    return uninstaller.run("/opt/GridwatchPlus", removal_);
  }
  bool systemEntriesGone() {
    return !root_.exists("etc/gridwatch/registry") &&
           !root_.exists("etc/systemd/system/NorvaneUPS.service") &&
           !root_.exists("usr/share/applications/norvane-gridwatchplus-monview.desktop") &&
           !root_.exists("etc/xdg/autostart/norvane-gridwatchplus-montray.desktop") &&
           !root_.exists("etc/udev/rules.d/70-oem0.rules");
  }

  TempDir root_;
  InstallRoot install_root_{root_.path()};
  FakeClock clock_;
  RecordingPrompts prompts_;
  RecordingServiceRegistrar registrar_{root_.path()};
  SystemSteps steps_{install_root_, registrar_, UsbIds{1, 2}};
  RecordingRemoval removal_;
  FakeInstanceMarker idle_client_{clock_, false};
  FakeInstanceMarker idle_service_{clock_, false};
};

TEST_F(UninstallerTest, RemovesFilesDataAndEntriesButNotForeignFiles) {
  root_.write(in("notes.txt"), "the user's own");
  EXPECT_TRUE(run(idle_client_, idle_service_));
  ASSERT_EQ(prompts_.questions.size(), 1u) << "nothing runs: one question only";
  EXPECT_EQ(prompts_.questions[0].caption, "Uninstall");
  EXPECT_EQ(prompts_.questions[0].text, "Do you want to remove the Gridwatch Plus.");
  for (const ProgramFile& row : kProgramFiles) EXPECT_FALSE(root_.exists(in(row.installed)));
  for (const std::string& name : removalOnlyFiles()) EXPECT_FALSE(root_.exists(in(name))) << name;
  EXPECT_TRUE(root_.exists(in("notes.txt"))) << "and the folder stays with it";
  EXPECT_TRUE(systemEntriesGone());
  EXPECT_EQ(removal_.events, (std::vector<std::string>{"begin", "end"}));
  size_t files = kProgramFiles.size() + removalOnlyFiles().size();
  ASSERT_EQ(removal_.percents.size(), files);
  EXPECT_EQ(removal_.percents.back(), 100);
  ASSERT_EQ(prompts_.messages.size(), 1u);
  EXPECT_EQ(prompts_.messages[0].text, "Uninstall completed.");
  EXPECT_EQ(removalOnlyFiles().back(), instanceMarkerFile("Gridwatch Plus Service"));
}

TEST_F(UninstallerTest, AVanishedFolderStillLosesItsSystemEntries) {
  std::filesystem::remove_all(root_.file("opt/GridwatchPlus"));
  EXPECT_TRUE(run(idle_client_, idle_service_));
  EXPECT_TRUE(systemEntriesGone());
  EXPECT_EQ(registrar_.log.back(), "delete NorvaneUPS");
  EXPECT_EQ(prompts_.messages.back().text, "Uninstall completed.");
}

TEST_F(UninstallerTest, NoRemovesNothing) {
  prompts_.yes_no = {false};
  EXPECT_FALSE(run(idle_client_, idle_service_));
  EXPECT_TRUE(root_.exists(in("monsvc")));
  EXPECT_TRUE(root_.exists("etc/systemd/system/NorvaneUPS.service"));
  EXPECT_TRUE(removal_.events.empty());
}

TEST_F(UninstallerTest, RunningProgramsAreNamedAndClosedBeforeTheFilesGo) {
  struct Case {
    bool client;
    bool service;
    const char* who;
  } cases[] = {{true, false, "The Gridwatch Plus is"},
               {false, true, "The UPS Service is"},
               {true, true, "The Gridwatch Plus and Service are"}};
  for (const Case& c : cases) {
    // A No to the second question: both keep running and nothing is removed.
    RecordingPrompts prompts;
    prompts.yes_no = {true, false};
    FakeInstanceMarker client(clock_, c.client);
    FakeInstanceMarker service(clock_, c.service);
    Uninstaller uninstaller(install_root_, prompts, client, service, steps_, clock_);
    EXPECT_FALSE(uninstaller.run("/opt/GridwatchPlus", removal_));
    ASSERT_EQ(prompts.questions.size(), 2u);
    EXPECT_EQ(prompts.questions[1].caption, "Uninstall");
    EXPECT_EQ(prompts.questions[1].text,
              std::string(c.who) + " runing.\nDo you want to continune the uninstall ?");
    EXPECT_EQ(client.close_requests + service.close_requests, 0);
    EXPECT_TRUE(root_.exists(in("monsvc")));
  }

  // Yes: each is asked to close, and the files go only once the service has ended. It takes
  // longer than two seconds here, as a stop writing its settings back can.
  FakeInstanceMarker client(clock_, true, 300);
  FakeInstanceMarker service(clock_, true, 2600);
  int64_t start = clock_.monotonicMs();
  EXPECT_TRUE(run(client, service));
  EXPECT_EQ(client.close_requests, 1);
  EXPECT_EQ(service.close_requests, 1);
  EXPECT_GE(clock_.monotonicMs() - start, 2600);
  EXPECT_LT(clock_.monotonicMs() - start, 2800);
  EXPECT_FALSE(root_.exists(in("policy")));

  // A service that never goes does not hold the removal for ever.
  SetUp();
  FakeInstanceMarker stuck(clock_, true, -1);
  start = clock_.monotonicMs();
  EXPECT_TRUE(run(idle_client_, stuck));
  EXPECT_LE(clock_.monotonicMs() - start, 15000);
  EXPECT_TRUE(systemEntriesGone());
}

}  // namespace
}  // namespace gw::setup
