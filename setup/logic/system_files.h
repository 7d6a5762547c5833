// The texts of the files setup places in the system: the service's unit, the desktop menu with
// its entries, and the session autostart entry. Paths inside the texts are system paths.
#pragma once

#include <string>

#include "setup/logic/setup_tables.h"

namespace gw::setup {

// Where each file goes, as a system path.
inline constexpr const char* kApplicationsFolder = "/usr/share/applications";
inline constexpr const char* kDirectoriesFolder = "/usr/share/desktop-directories";
inline constexpr const char* kMenusFolder = "/etc/xdg/menus/applications-merged";
inline constexpr const char* kAutostartFolder = "/etc/xdg/autostart";
inline constexpr const char* kMenuFileId = "norvane-gridwatchplus";

// The service's systemd unit for a suite installed in `folder`: notify type, started at boot,
// with the real system shutdown as the service's shutdown command.
std::string serviceUnitText(const std::string& folder);

// A desktop entry running `item.command` from `folder`. In the menu when `in_menu`, else an
// entry for the session's autostart.
std::string desktopEntryText(const MenuItem& item, const std::string& folder, bool in_menu);

// The menu definition that gathers the entries into the "Gridwatch Plus" submenu, and the
// submenu's own entry.
std::string menuFileText();
std::string menuDirectoryText();

}  // namespace gw::setup
