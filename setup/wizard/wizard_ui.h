// The installer program's window side: the wizard for the install mode, and the Uninstall
// progress for the removal.
#pragma once

#include <QPointer>
#include <QProgressDialog>

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

class RemovalProgress final : public RemovalObserver {
 public:
  void begin() override;
  void progress(int percent) override;
  void end() override;

 private:
  std::unique_ptr<QProgressDialog> dialog_;
};

}  // namespace gw::setup
