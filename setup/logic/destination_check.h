// The check of a chosen installation folder, with its two questions: an existing folder is
// taken as it is, a missing one is created on Yes, and one that can be neither entered nor
// created is refused with a warning.
#pragma once

#include <string>

#include "setup/logic/install_root.h"
#include "setup/logic/setup_prompts.h"

namespace gw::setup {

class DestinationCheck {
 public:
  DestinationCheck(const InstallRoot& root, SetupPrompts& prompts) : root_(root), prompts_(prompts) {}

  // True when `folder` (a system path) exists now and may be used; false when the user must
  // choose again. Asks before creating anything; a trial creation is undone before asking.
  [[nodiscard]] bool accept(const std::string& folder);

 private:
  // Creates the folder with any missing parents and returns the top-most one it created
  // ("" when none was needed). False when it cannot be created.
  bool create(const std::string& path, std::string* first_created);

  const InstallRoot& root_;
  SetupPrompts& prompts_;
};

}  // namespace gw::setup
