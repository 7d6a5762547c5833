// Modal runs of the wizard and of the Uninstall progress.
#include "setup/wizard/wizard_ui.h"

#include <QCoreApplication>

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

void RemovalProgress::begin() {
  dialog_ = std::make_unique<QProgressDialog>();
  dialog_->setWindowTitle("Uninstall");
  dialog_->setLabelText("Removing Gridwatch Plus ...");
  dialog_->setCancelButton(nullptr);  // a removal half done is worse than one finished
  dialog_->setRange(0, 100);
  dialog_->setMinimumDuration(0);
  dialog_->setValue(0);
  dialog_->show();
  QCoreApplication::processEvents();
}

void RemovalProgress::progress(int percent) {
  if (!dialog_) return;
  dialog_->setValue(percent);
  QCoreApplication::processEvents();
}

void RemovalProgress::end() { dialog_.reset(); }

}  // namespace gw::setup
