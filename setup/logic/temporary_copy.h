// A program that must run from a writable place it can also leave (the installer off the
// distribution medium, the uninstaller out of the folder it deletes) is installed into the
// temporary folder and started there.
#pragma once

#include <string>
#include <vector>

#include "setup/logic/file_installer.h"
#include "setup/logic/program_starter.h"
#include "setup/logic/setup_prompts.h"

namespace gw::setup {

inline constexpr const char* kCheckSourceText = "Please check the source disk or folder !";

// Installs `source` as `copy` and starts it with `args`. An unreadable source is reported with
// kCheckSourceText and nothing is started; any other fault of the copy is passed over, since an
// older copy left in the temporary folder still runs. Returns whether the copy was started.
bool startTemporaryCopy(FileInstaller& installer, SetupPrompts& prompts, ProgramStarter& starter,
                        const std::string& source, const std::string& copy,
                        const std::vector<std::string>& args);

// True when the running program is such a copy: its folder is the temporary folder. Such a
// copy deletes itself when it ends.
bool isTemporaryCopy(const std::string& own_folder, const std::string& temp_folder);

}  // namespace gw::setup
