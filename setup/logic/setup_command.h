// The installer's command line. Besides the mode text it takes two options of its own:
//   --root DIR     install under DIR instead of "/" (staging and tests)
//   --unattended   answer every question with its default button and never wait for a user
// The rest of the arguments, joined by blanks, is the mode text:
//   empty, or exactly "-Remove"   copy mode: run a temporary copy that removes this folder
//   "-Remove" directly followed by a folder   remove the suite from that folder
//   anything else   install from that distribution folder (one trailing '/' is dropped)
#pragma once

#include <string>
#include <vector>

#include "common/result_code.h"

namespace gw::setup {

enum class SetupMode { kCopyForRemoval, kRemove, kInstall };

struct SetupCommand {
  SetupMode mode = SetupMode::kCopyForRemoval;
  std::string folder;  // kRemove: the installation folder; kInstall: the distribution folder
  std::string root = "/";
  bool unattended = false;
};

// RC_MISSING_ARGUMENT when --root has no value; `*command` is untouched then.
[[nodiscard]] ResultCode parseSetupCommand(const std::vector<std::string>& args,
                                           SetupCommand* command);

// The options to hand on to another copy of the installer so that it runs the same way.
std::vector<std::string> forwardedOptions(const SetupCommand& command);

}  // namespace gw::setup
