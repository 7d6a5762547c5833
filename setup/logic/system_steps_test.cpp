// The system steps under a scratch root: what installation writes, and that removal takes back
// exactly that, leaving other vendors' rule files and other registry values alone.
#include "setup/logic/system_steps.h"

#include <gtest/gtest.h>

#include "setup/logic/registry_store.h"
#include "setup/logic/setup_tables.h"
#include "testing/recording_service_registrar.h"
#include "testing/temp_dir.h"

namespace gw::setup {
namespace {

constexpr const char* kForeignRule =
    "# [Version]\n# Provider=Other Vendor\n# SetupClass=Other class\n"
    "SUBSYSTEM==\"hidraw\", MODE=\"0666\"\n";

class SystemStepsTest : public ::testing::Test {
 protected:
  std::string registryValue(const char* key, const char* name) {
    std::unique_ptr<RegistryStore> store;
    std::string data;
    if (RegistryStore::open(root_.file("etc/gridwatch/registry"), &store) != RC_OK ||
        !store->value(key, name, &data)) {
      return "<none>";
    }
    return data;
  }
  void seedRegistry() {
    std::unique_ptr<RegistryStore> store;
    ASSERT_EQ(RegistryStore::open(root_.file("etc/gridwatch/registry"), &store), RC_OK);
    ASSERT_EQ(store->setValue(kRunKey, kSetupRunValue, "/media/cd/launcher"), RC_OK);
    ASSERT_EQ(store->setValue(kRunKey, "Other", "kept"), RC_OK);
    ASSERT_EQ(store->setValue(kRunOnceKey, kInstallRunOnceValue, "x"), RC_OK);
    ASSERT_EQ(store->setValue(kRunServicesKey, "UPS service", "/opt/GridwatchPlus/monsvc"), RC_OK);
    ASSERT_EQ(store->setValue(kRunServicesKey, "Other service", "kept"), RC_OK);
    ASSERT_EQ(store->setValue(std::string(kUninstallKey) + "\\Sub", "x", "y"), RC_OK);
    ASSERT_EQ(store->save(), RC_OK);
  }
  std::string rule(int slot) { return "etc/udev/rules.d/" + ruleFileName(slot); }

  TempDir root_;
  RecordingServiceRegistrar registrar_{root_.path()};
  SystemSteps steps_{InstallRoot(root_.path()), registrar_, UsbIds{0x0abc, 0x1234}};
};

TEST_F(SystemStepsTest, InstallationWritesEveryEntry) {
  seedRegistry();
  std::filesystem::create_directories(root_.file("etc/udev/rules.d"));
  root_.write(rule(0), kForeignRule);
  steps_.prepareInstall();
  EXPECT_EQ(registryValue(kRunKey, kSetupRunValue), "<none>");
  EXPECT_EQ(registryValue(kRunKey, "Other"), "kept");
  steps_.install("/opt/Grid watch");

  EXPECT_EQ(registryValue(kRunOnceKey, kInstallRunOnceValue), "<none>");
  EXPECT_EQ(registryValue(kUninstallKey, "DisplayName"), "Gridwatch Plus");
  EXPECT_EQ(registryValue(kUninstallKey, "UninstallString"), "/opt/Grid watch/Uninstal -Remove");

  EXPECT_EQ(registrar_.log, (std::vector<std::string>{"register NorvaneUPS"}));
  std::string unit = root_.read("etc/systemd/system/NorvaneUPS.service");
  for (const char* line :
       {"Description=UPS Service\n", "Type=notify\n", "ExecStart=\"/opt/Grid watch/monsvc\"\n",
        "WorkingDirectory=\"/opt/Grid watch\"\n",
        "Environment=\"GRIDWATCH_SHUTDOWN_COMMAND=systemctl poweroff\"\n",
        "[Install]\nWantedBy=multi-user.target\n"}) {
    EXPECT_NE(unit.find(line), std::string::npos) << line << " in\n" << unit;
  }

  std::string entry = root_.read("usr/share/applications/norvane-gridwatchplus-service.desktop");
  EXPECT_NE(entry.find("Name=Start Service\n"), std::string::npos) << entry;
  EXPECT_NE(entry.find("Exec=\"/opt/Grid watch/monsvc\" -start\n"), std::string::npos) << entry;
  EXPECT_NE(entry.find("Categories=X-Norvane-GridwatchPlus;\n"), std::string::npos);
  EXPECT_NE(root_.read("usr/share/applications/norvane-gridwatchplus-remove.desktop")
                .find("Name=Remove Gridwatch Plus\n"),
            std::string::npos);
  EXPECT_NE(root_.read("usr/share/applications/norvane-gridwatchplus-monview.desktop")
                .find("Name=Gridwatch Plus\n"),
            std::string::npos);
  EXPECT_NE(root_.read("etc/xdg/menus/applications-merged/norvane-gridwatchplus.menu")
                .find("<Name>Gridwatch Plus</Name>"),
            std::string::npos);
  EXPECT_NE(root_.read("usr/share/desktop-directories/norvane-gridwatchplus.directory")
                .find("Name=Gridwatch Plus\n"),
            std::string::npos);
  std::string autostart = root_.read("etc/xdg/autostart/norvane-gridwatchplus-montray.desktop");
  EXPECT_NE(autostart.find("Exec=\"/opt/Grid watch/montray\"\n"), std::string::npos) << autostart;
  EXPECT_EQ(autostart.find("Categories="), std::string::npos) << "not a menu item";

  // Slot 0 belongs to another vendor: ours takes the next, and a second run reuses it.
  EXPECT_EQ(root_.read(rule(0)), kForeignRule);
  std::string ours = root_.read(rule(1));
  EXPECT_EQ(ours.rfind("# [Version]\n# Provider=Norvane\n# SetupClass=QRT UPS with PnP INTERFACE\n", 0), 0u)
      << ours;
  EXPECT_NE(ours.find("ATTRS{idVendor}==\"0abc\", ATTRS{idProduct}==\"1234\""), std::string::npos);
  steps_.install("/opt/Grid watch");
  EXPECT_FALSE(root_.exists(rule(2)));
}

TEST_F(SystemStepsTest, RemovalTakesOnlyWhatIsOurs) {
  seedRegistry();
  steps_.install("/opt/GridwatchPlus");
  // A rule file of ours by its setup class alone, one by its provider with odd spacing and
  // quotes, and another vendor's file at number 7.
  root_.write(rule(3), "#[VERSION]\n#  setupclass = \"QRT UPS with PnP INTERFACE\"\n");
  root_.write(rule(5), "# [Version]\n# Provider = \"Norvane\"\n");
  root_.write(rule(7), kForeignRule);
  root_.write(rule(8), "# [Strings]\n# Provider=Norvane\n");  // not the [Version] section
  root_.write("etc/udev/rules.d/99-local.rules", "# Provider=Norvane\n");
  steps_.remove();

  for (int slot : {0, 3, 5}) EXPECT_FALSE(root_.exists(rule(slot))) << slot;
  EXPECT_EQ(root_.read(rule(7)), kForeignRule);
  EXPECT_TRUE(root_.exists(rule(8)));
  EXPECT_TRUE(root_.exists("etc/udev/rules.d/99-local.rules")) << "outside the numbered slots";

  EXPECT_EQ(registryValue(kUninstallKey, "DisplayName"), "<none>");
  EXPECT_EQ(registryValue((std::string(kUninstallKey) + "\\Sub").c_str(), "x"), "<none>")
      << "the whole subkey goes";
  EXPECT_EQ(registryValue(kRunServicesKey, "UPS service"), "<none>");
  EXPECT_EQ(registryValue(kRunServicesKey, "Other service"), "kept") << "only the value goes";
  EXPECT_EQ(registryValue(kRunKey, "Other"), "kept");

  for (const MenuItem& item : kMenuItems) {
    EXPECT_FALSE(root_.exists(std::string("usr/share/applications/") + item.file_id + ".desktop"));
  }
  EXPECT_FALSE(root_.exists("etc/xdg/autostart/norvane-gridwatchplus-montray.desktop"));
  EXPECT_FALSE(root_.exists("etc/xdg/menus/applications-merged/norvane-gridwatchplus.menu"));
  EXPECT_FALSE(root_.exists("usr/share/desktop-directories/norvane-gridwatchplus.directory"));
  EXPECT_EQ(registrar_.log.back(), "delete NorvaneUPS");
  EXPECT_FALSE(root_.exists("etc/systemd/system/NorvaneUPS.service"));
}

}  // namespace
}  // namespace gw::setup
