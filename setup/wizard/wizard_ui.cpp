// The wizard's modal run, with the message boxes parented to it.
#include "setup/wizard/wizard_ui.h"

#include "setup/wizard/install_wizard.h"

namespace gw::setup {

bool WizardUi::run(InstallSession& session) {
  InstallWizard wizard(session);
  if (prompts_) prompts_->setParentWidget(&wizard);
  wizard.setAutopilot(autopilot_);
  bool finished = wizard.exec() == QDialog::Accepted;
  if (prompts_) prompts_->setParentWidget(nullptr);
  return finished;
}

}  // namespace gw::setup
