// The Debian package: its contents and control data, then an install, a removal and a purge
// with dpkg into a scratch root. The maintainer scripts run outside a chroot with DPKG_ROOT set,
// so they must start nothing; a recording systemctl and udevadm first on PATH tell.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "platform/process.h"
#include "setup/logic/setup_tables.h"
#include "testing/temp_dir.h"

namespace gw {
namespace {

namespace fs = std::filesystem;

class PackageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* bin = std::getenv("GW_BIN_DIR");
    ASSERT_NE(bin, nullptr);
    bin_ = bin;
    for (const auto& entry : fs::directory_iterator(fs::path(bin_).parent_path() / "package")) {
      if (entry.path().extension() == ".deb") deb_ = entry.path().string();
    }
    ASSERT_FALSE(deb_.empty()) << "build the deb target first";
    fs::create_directory(work_.file("bin"));
    work_.writeScript("bin/systemctl", "echo \"systemctl $*\" >> \"" + work_.file("calls") + "\"\n");
    work_.writeScript("bin/udevadm", "echo \"udevadm $*\" >> \"" + work_.file("calls") + "\"\n");
  }

  // Runs a shell command with the recording tools first on PATH; its output goes to "out".
  int shell(const std::string& command) {
    const char* path = std::getenv("PATH");
    int code = -1;
    EXPECT_EQ(runShellCommand(command + " > '" + work_.file("out") + "' 2>&1",
                              {{"PATH", work_.file("bin") + ":" + (path ? path : "/usr/bin:/bin")}},
                              60000, &code),
              RC_OK);
    return code;
  }
  std::string dpkg(const std::string& action) {
    std::string root = work_.file("root");
    return "dpkg --root='" + root + "' --admindir='" + root + "/var/lib/dpkg' --log='" +
           work_.file("dpkg.log") + "' --force-script-chrootless --force-depends --force-not-root " +
           action;
  }

  std::string bin_;
  std::string deb_;
  TempDir work_;
};

TEST_F(PackageTest, ContentsAndControl) {
  ASSERT_EQ(shell("dpkg-deb --contents '" + deb_ + "'"), 0);
  std::string contents = work_.read("out");
  std::vector<std::string> expected = {
      "./opt/GridwatchPlus/monsvc", "./opt/GridwatchPlus/porter",
      "./lib/systemd/system/NorvaneUPS.service",
      "./lib/udev/rules.d/70-norvane-gridwatchplus.rules",
      "./usr/share/applications/norvane-gridwatchplus-monview.desktop",
      "./usr/share/applications/norvane-gridwatchplus-service.desktop",
      "./usr/share/desktop-directories/norvane-gridwatchplus.directory",
      "./etc/xdg/menus/applications-merged/norvane-gridwatchplus.menu",
      "./etc/xdg/autostart/norvane-gridwatchplus-montray.desktop"};
  for (const char* sound : {"hello", "pfail", "lbat", "oload", "otemp"}) {
    expected.push_back(std::string("./opt/GridwatchPlus/") + sound + ".wav");
  }
  // The programs of the other rooms are in once they are built.
  for (const char* program : {"monview", "libpmx.so", "sweeper", "libsweeper.so", "montray"}) {
    if (fs::exists(bin_ + "/" + program)) expected.push_back(std::string("./opt/GridwatchPlus/") + program);
  }
  for (const std::string& path : expected) {
    EXPECT_NE(contents.find(" " + path + "\n"), std::string::npos) << path << " in\n" << contents;
  }
  // Removal belongs to the package manager: no uninstaller, no menu item for it.
  EXPECT_EQ(contents.find("Uninstal"), std::string::npos);
  EXPECT_EQ(contents.find("remove.desktop"), std::string::npos);

  ASSERT_EQ(shell("dpkg-deb --field '" + deb_ + "' Package Version Depends"), 0);
  std::string fields = work_.read("out");
  EXPECT_NE(fields.find("Package: gridwatch-plus\n"), std::string::npos) << fields;
  EXPECT_NE(fields.find("Version: 2.1.4\n"), std::string::npos) << fields;
  EXPECT_NE(fields.find("libc6"), std::string::npos) << fields;
  if (fs::exists(bin_ + "/monview")) {
    EXPECT_NE(fields.find("libqt6widgets6"), std::string::npos) << fields;
  }
  ASSERT_EQ(shell("dpkg-deb --info '" + deb_ + "' conffiles"), 0);
  EXPECT_EQ(work_.read("out"),
            "/etc/xdg/menus/applications-merged/norvane-gridwatchplus.menu\n"
            "/etc/xdg/autostart/norvane-gridwatchplus-montray.desktop\n");
}

TEST_F(PackageTest, InstallRemoveAndPurgeInAScratchRootStartNothing) {
  if (::geteuid() != 0) GTEST_SKIP() << "dpkg unpacks as root only";
  for (const char* dir : {"root/var/lib/dpkg/info", "root/var/lib/dpkg/updates"}) {
    fs::create_directories(work_.file(dir));
  }
  work_.write("root/var/lib/dpkg/status", "");
  work_.write("root/var/lib/dpkg/available", "");
  std::string root = work_.file("root");

  ASSERT_EQ(shell(dpkg("--install '" + deb_ + "'")), 0) << work_.read("out");
  EXPECT_TRUE(fs::exists(root + "/opt/GridwatchPlus/monsvc"));
  std::string unit = work_.read("root/lib/systemd/system/NorvaneUPS.service");
  EXPECT_NE(unit.find("Type=notify\n"), std::string::npos) << unit;
  EXPECT_NE(unit.find("WantedBy=multi-user.target\n"), std::string::npos) << unit;
  EXPECT_NE(work_.read("root/lib/udev/rules.d/70-norvane-gridwatchplus.rules")
                .find("# SetupClass=QRT UPS with PnP INTERFACE\n"),
            std::string::npos);
  // For another root the service is only linked for its boot, never started.
  EXPECT_EQ(work_.read("calls"), "systemctl --root=" + root + " enable NorvaneUPS.service\n");

  // The service ran there and wrote its data; the user left a file of their own.
  for (const std::string& name : setup::removalOnlyFiles()) {
    work_.write("root/opt/GridwatchPlus/" + name, "data");
  }
  work_.write("root/opt/GridwatchPlus/notes.txt", "mine");
  ASSERT_EQ(shell(dpkg("--remove gridwatch-plus")), 0) << work_.read("out");
  EXPECT_FALSE(fs::exists(root + "/opt/GridwatchPlus/monsvc"));
  EXPECT_FALSE(fs::exists(root + "/lib/systemd/system/NorvaneUPS.service"));
  EXPECT_TRUE(fs::exists(root + "/opt/GridwatchPlus/policy")) << "removal keeps the data";
  ASSERT_EQ(shell(dpkg("--purge gridwatch-plus")), 0) << work_.read("out");
  for (const std::string& name : setup::removalOnlyFiles()) {
    EXPECT_FALSE(fs::exists(root + "/opt/GridwatchPlus/" + name)) << name;
  }
  EXPECT_EQ(work_.read("root/opt/GridwatchPlus/notes.txt"), "mine");
  EXPECT_FALSE(fs::exists(root + "/etc/xdg/autostart/norvane-gridwatchplus-montray.desktop"));
  EXPECT_EQ(work_.read("calls"), "systemctl --root=" + root + " enable NorvaneUPS.service\n" +
                                     "systemctl --root=" + root + " disable NorvaneUPS.service\n");
}

}  // namespace
}  // namespace gw
