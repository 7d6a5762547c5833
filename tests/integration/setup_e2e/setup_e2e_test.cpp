// The distribution folder end to end in a scratch root: the launcher, the unattended install,
// then "Uninstal -Remove" against a running service. A recording systemctl first on PATH stands
// in for the service manager, and the service's shutdown command is harmless.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/process.h"
#include "setup/logic/registry_store.h"
#include "setup/logic/setup_tables.h"
#include "testing/free_port.h"
#include "testing/service_process.h"
#include "testing/temp_dir.h"
#include "tools/szdd/szdd_compressor.h"

namespace gw {
namespace {

namespace fs = std::filesystem;
using namespace setup;

class SetupEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* bin = std::getenv("GW_BIN_DIR");
    ASSERT_NE(bin, nullptr);
    dist_ = fs::path(bin).parent_path() / "dist";
    ASSERT_TRUE(fs::exists(dist_ / "launcher")) << "build the dist target first";
    for (const char* dir : {"media", "tmp", "bin", "run", "root"}) fs::create_directory(work_.file(dir));
    fs::permissions(work_.file("run"), fs::perms::owner_all);  // as a session's runtime folder is
    fs::copy(dist_, work_.file("media"), fs::copy_options::recursive);
    // Programs of rooms not built yet are stood in for, so that the copy is complete.
    for (const ProgramFile& row : kProgramFiles) {
      if (fs::exists(work_.file("media/") + row.compressed)) continue;
      std::string packed;
      ASSERT_EQ(szddCompress(std::string("#!/bin/sh\n# stand-in for ") + row.installed + "\n", '\0',
                             &packed),
                RC_OK);
      work_.write(std::string("media/") + row.compressed, packed);
      stand_ins_.push_back(row.installed);
    }
    work_.writeScript("bin/systemctl", "echo \"$@\" >> \"" + work_.file("systemctl.log") + "\"\n");
    const char* path = std::getenv("PATH");
    env_ = {{"PATH", work_.file("bin") + ":" + (path ? path : "/usr/bin:/bin")},
            {"TMPDIR", work_.file("tmp")},
            {"XDG_RUNTIME_DIR", work_.file("run")},
            {"QT_QPA_PLATFORM", "offscreen"},
            {"GRIDWATCH_SHUTDOWN_COMMAND", "true"}};
    root_ = work_.file("root");
  }

  void TearDown() override {
    for (auto& c : children_) c->terminate();
  }

  // Runs a program of the suite with the test's environment and waits for it.
  int runProgram(const std::string& program, std::vector<std::string> args) {
    SpawnOptions o;
    o.program = program;
    o.args = std::move(args);
    o.extra_env = env_;
    std::unique_ptr<ChildProcess> child;
    if (spawnProcess(o, &child) != RC_OK) return -1;
    int code = -1;
    if (child->wait(30000, &code) != RC_OK) child->terminate();
    return code;
  }

  // The copies in the temporary folder end by themselves; the test waits for what they leave.
  bool waitFor(const std::function<bool()>& done) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < deadline) {
      if (done()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
  }
  std::string in(const std::string& name) const { return root_ + "/opt/GridwatchPlus/" + name; }
  std::string systemctlLog() { return work_.read("systemctl.log"); }

  TempDir work_;
  fs::path dist_;
  std::string root_;
  std::map<std::string, std::string> env_;
  std::vector<std::string> stand_ins_;
  std::vector<std::unique_ptr<ChildProcess>> children_;
};

TEST_F(SetupEndToEnd, LauncherInstallsAndUninstalRemovesEverythingButForeignFiles) {
  // The PATH must reach the recording systemctl before any real one.
  int code = -1;
  ASSERT_EQ(runShellCommand("test \"$(command -v systemctl)\" = '" + work_.file("bin/systemctl") + "'",
                            {{"PATH", env_["PATH"]}}, 5000, &code),
            RC_OK);
  ASSERT_EQ(code, 0);

  ASSERT_EQ(runProgram(work_.file("media/launcher"), {"--unattended", "--root", root_}), 0);
  ASSERT_TRUE(waitFor([&] {
    return !fs::exists(work_.file("tmp/Install")) && fs::exists(root_ + "/etc/gridwatch/registry") &&
           systemctlLog().find("start") != std::string::npos;
  })) << "the installer did not finish; systemctl saw:\n" << systemctlLog();

  // The files, expanded byte for byte where the build has the program.
  for (const ProgramFile& row : kProgramFiles) {
    struct stat st{};
    ASSERT_EQ(::stat(in(row.installed).c_str(), &st), 0) << row.installed;
    EXPECT_EQ(st.st_mode & 0777, row.mode) << row.installed;
  }
  TempDir bin;
  ASSERT_TRUE(bin.copyProgram("monsvc"));
  EXPECT_TRUE(bin.read("monsvc") == work_.read("root/opt/GridwatchPlus/monsvc"));
  EXPECT_EQ(work_.read("root/opt/GridwatchPlus/hello.wav").substr(0, 4), "RIFF");
  EXPECT_EQ(work_.read("root/opt/GridwatchPlus/hello.wav").substr(8, 4), "WAVE");
  // The unit, the menu, the autostart entry, the rule and the uninstall entry.
  std::string unit = work_.read("root/etc/systemd/system/NorvaneUPS.service");
  EXPECT_NE(unit.find("Description=UPS Service\n"), std::string::npos) << unit;
  EXPECT_NE(unit.find("ExecStart=/opt/GridwatchPlus/monsvc\n"), std::string::npos) << unit;
  for (const MenuItem& item : kMenuItems) {
    EXPECT_TRUE(fs::exists(root_ + "/usr/share/applications/" + item.file_id + ".desktop"));
  }
  EXPECT_TRUE(fs::exists(root_ + "/etc/xdg/autostart/norvane-gridwatchplus-montray.desktop"));
  EXPECT_NE(work_.read("root/etc/udev/rules.d/70-oem0.rules").find("# Provider=Norvane\n"),
            std::string::npos);
  std::unique_ptr<RegistryStore> registry;
  std::string uninstall;
  ASSERT_EQ(RegistryStore::open(root_ + "/etc/gridwatch/registry", &registry), RC_OK);
  ASSERT_TRUE(registry->value(kUninstallKey, "UninstallString", &uninstall));
  EXPECT_EQ(uninstall, "/opt/GridwatchPlus/Uninstal -Remove");
  // Enabled inside the root, started through monsvc -start, and nothing else.
  EXPECT_EQ(systemctlLog(), "--root=" + root_ + " enable NorvaneUPS.service\n" +
                                "start --no-block NorvaneUPS.service\n");
  EXPECT_TRUE(fs::is_empty(work_.file("tmp"))) << "the installer's temporary copy is gone";

  // Another vendor's rule file, the user's own file, and the service running from its folder.
  work_.write("root/etc/udev/rules.d/70-oem7.rules", "# [Version]\n# Provider=Other\n");
  work_.write("root/opt/GridwatchPlus/notes.txt", "mine");
  uint16_t port = freeLoopbackPort();
  TempDir scratch;
  SpawnOptions service = serviceOptions(scratch, port);
  service.program = in("monsvc");
  std::unique_ptr<ChildProcess> monsvc;
  ASSERT_EQ(spawnProcess(service, &monsvc), RC_OK);
  children_.push_back(std::move(monsvc));
  ChildProcess& running = *children_.back();
  ASSERT_TRUE(waitForClientPort(running, port, 10000));
  ASSERT_TRUE(waitFor([&] { return fs::exists(in("event")); })) << "the service writes its event log";

  ASSERT_EQ(runProgram(in("Uninstal"), {"--unattended", "--root", root_, "-Remove"}), 0);
  ASSERT_TRUE(waitFor([&] {
    return !fs::exists(work_.file("tmp/Uninstal")) && !fs::exists(in("monsvc")) &&
           !fs::exists(root_ + "/etc/gridwatch/registry");
  })) << "the removal did not finish";
  ASSERT_EQ(running.wait(5000, &code), RC_OK) << "the service was not closed";
  EXPECT_EQ(code, 0);

  for (const ProgramFile& row : kProgramFiles) EXPECT_FALSE(fs::exists(in(row.installed)));
  for (const std::string& name : removalOnlyFiles()) EXPECT_FALSE(fs::exists(in(name))) << name;
  EXPECT_EQ(work_.read("root/opt/GridwatchPlus/notes.txt"), "mine");
  EXPECT_FALSE(fs::exists(root_ + "/etc/systemd/system/NorvaneUPS.service"));
  EXPECT_FALSE(fs::exists(root_ + "/etc/udev/rules.d/70-oem0.rules"));
  EXPECT_TRUE(fs::exists(root_ + "/etc/udev/rules.d/70-oem7.rules"));
  for (const MenuItem& item : kMenuItems) {
    EXPECT_FALSE(fs::exists(root_ + "/usr/share/applications/" + item.file_id + ".desktop"));
  }
  EXPECT_FALSE(fs::exists(root_ + "/etc/xdg/autostart/norvane-gridwatchplus-montray.desktop"));
  EXPECT_NE(systemctlLog().find("--root=" + root_ + " disable NorvaneUPS.service\n"),
            std::string::npos);
  EXPECT_TRUE(fs::is_empty(work_.file("tmp"))) << "the uninstaller's temporary copy is gone";
  if (!stand_ins_.empty()) {
    std::string names;
    for (const auto& n : stand_ins_) names += " " + n;
    std::printf("stood in for the programs not built yet:%s\n", names.c_str());
  }
}

}  // namespace
}  // namespace gw
