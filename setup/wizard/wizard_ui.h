// The installer program's window side for the install mode: the wizard, run modally.
#pragma once

#include "setup/logic/setup_program.h"
#include "setup/wizard/qt_prompts.h"

namespace gw::setup {

class WizardUi final : public InstallUi {
 public:
  // `prompts` (may be null) learns the wizard as the parent of its boxes.
  WizardUi(bool autopilot, QtPrompts* prompts) : autopilot_(autopilot), prompts_(prompts) {}
  bool run(InstallSession& session) override;

 private:
  bool autopilot_;
  QtPrompts* prompts_;
};

}  // namespace gw::setup
