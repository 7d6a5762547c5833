// What the installer installs and removes: the program files, the service's data files, the
// registry rows, the menu items, and the names the other programs are known by.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace gw::setup {

inline constexpr const char* kProductName = "Gridwatch Plus";
inline constexpr const char* kVersion = "2.1.4";
inline constexpr const char* kBannerFormat = "Norvane - Gridwatch Plus %s Setup";
inline constexpr const char* kDefaultFolder = "/opt/GridwatchPlus";

inline constexpr const char* kServiceName = "NorvaneUPS";
inline constexpr const char* kServiceDisplayName = "UPS Service";
// The single-instance markers of the service and of the client.
inline constexpr const char* kServiceMarker = "Gridwatch Plus Service";
inline constexpr const char* kClientMarker = "UPS Management Client Program";

// The header of the USB rule files that are ours to remove.
inline constexpr const char* kRuleProvider = "Norvane";
inline constexpr const char* kRuleSetupClass = "QRT UPS with PnP INTERFACE";

// The launcher's compressed installer and the name it is expanded to.
inline constexpr const char* kInstallerCompressed = "Install.ex_";
inline constexpr const char* kInstallerExpanded = "Install";
// The installer's copy in the installation folder, which removes the suite.
inline constexpr const char* kUninstallerName = "Uninstal";

struct ProgramFile {
  const char* compressed;  // name in the distribution folder
  const char* installed;   // name in the installation folder
  unsigned mode;           // permission bits of the installed file
};

// Every row goes to the installation folder, in this order.
inline constexpr std::array<ProgramFile, 13> kProgramFiles = {{
    {"monview.ex_", "monview", 0755},
    {"monsvc.ex_", "monsvc", 0755},
    {"porter.ex_", "porter", 0755},
    {"libpmx.s_", "libpmx.so", 0644},
    {"sweeper.ex_", "sweeper", 0755},
    {"libsweeper.s_", "libsweeper.so", 0644},
    {"montray.ex_", "montray", 0755},
    {kInstallerCompressed, kUninstallerName, 0755},
    {"hello.wa_", "hello.wav", 0644},
    {"pfail.wa_", "pfail.wav", 0644},
    {"lbat.wa_", "lbat.wav", 0644},
    {"oload.wa_", "oload.wav", 0644},
    {"otemp.wa_", "otemp.wav", 0644},
}};

// The files the service writes beside itself, removed after the program files.
inline constexpr std::array<const char*, 8> kServiceDataFiles = {
    "policy", "protect", "schedule", "status", "saved", "event", "access", "user"};

// Registry rows: flags say when a row is written and how it is removed.
inline constexpr unsigned kWriteAtInstall = 0x2000;
inline constexpr unsigned kRemoveAtUninstall = 0x1000;
inline constexpr unsigned kRemoveValueOnly = 0x0002;

struct RegistryRow {
  const char* key;
  const char* value;
  const char* data;  // "%s" stands for the installation folder
  unsigned flags;
};

inline constexpr const char* kUninstallKey =
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Norvane "
    "Gridwatch Plus";
inline constexpr const char* kRunKey =
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kRunOnceKey =
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
inline constexpr const char* kRunServicesKey =
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\RunServices";
inline constexpr const char* kSetupRunValue = "Norvane-Setup";
inline constexpr const char* kInstallRunOnceValue = "Norvane Install";

inline constexpr std::array<RegistryRow, 3> kRegistryRows = {{
    {kUninstallKey, "DisplayName", "Gridwatch Plus", 0x3001},
    {kUninstallKey, "UninstallString", "%s/Uninstal -Remove", 0x3001},
    {kRunServicesKey, "UPS service", "%s/monsvc", 0x1002},
}};

struct MenuItem {
  const char* name;
  const char* command;  // relative to the installation folder
  const char* file_id;  // the desktop entry's file name, without ".desktop"
};

inline constexpr const char* kMenuName = "Gridwatch Plus";
inline constexpr std::array<MenuItem, 3> kMenuItems = {{
    {"Gridwatch Plus", "monview", "norvane-gridwatchplus-monview"},
    {"Start Service", "monsvc -start", "norvane-gridwatchplus-service"},
    {"Remove Gridwatch Plus", "Uninstal -Remove", "norvane-gridwatchplus-remove"},
}};
// The tray program, started with every desktop session.
inline constexpr MenuItem kAutostartItem = {"Gridwatch Plus Tray", "montray",
                                            "norvane-gridwatchplus-montray"};

// "%s" of a registry row's data replaced by the folder.
std::string expandFolder(const char* pattern, const std::string& folder);

// The removal-only files of the installation folder: the service's data files and its marker.
std::vector<std::string> removalOnlyFiles();

}  // namespace gw::setup
