// Input is let through after each file, so that the window paints while the removal runs.
#include "setup/wizard/removal_progress.h"

#include <QCoreApplication>

namespace gw::setup {

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
