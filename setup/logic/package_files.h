// The Debian package's own files: the system files placed for a package (the unit and the rule
// where packages keep theirs, the menu without the removal item, which the package manager
// takes over) and the maintainer scripts.
#pragma once

#include <string>

#include "setup/logic/install_root.h"
#include "setup/logic/udev_rule.h"

namespace gw::setup {

// Where the package keeps what setup writes under /etc.
inline constexpr const char* kPackageUnitFolder = "/lib/systemd/system";
inline constexpr const char* kPackageRuleFile = "/lib/udev/rules.d/70-norvane-gridwatchplus.rules";

// Places the package's system files for a suite in `folder` under `stage`. False when one
// cannot be written.
[[nodiscard]] bool stagePackageFiles(const InstallRoot& stage, const std::string& folder,
                                     UsbIds ids);

// The maintainer scripts. None of them starts or stops anything when the package is handled
// for another root ($DPKG_ROOT set) or on a system not booted with systemd; the purge deletes
// the service's data files from `folder`.
std::string postinstScript();
std::string prermScript();
std::string postrmScript(const std::string& folder);
// The files under /etc that the package manager must keep as the administrator left them.
std::string conffilesList();

}  // namespace gw::setup
