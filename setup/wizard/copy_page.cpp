// The copy is started from the event loop, once the page is on the screen.
#include "setup/wizard/copy_page.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QVBoxLayout>

namespace gw::setup {

CopyPage::CopyPage(InstallSession& session, QWidget* parent)
    : QWizardPage(parent), session_(session) {
  setSubTitle("Copying Files");
  setCommitPage(true);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel("Copy to :", this));
  target_ = new QLabel(this);
  layout->addWidget(target_);
  bar_ = new QProgressBar(this);
  bar_->setRange(0, 100);
  bar_->setFormat("%p%");
  bar_->setValue(0);
  layout->addWidget(bar_);
  layout->addStretch();
}

void CopyPage::initializePage() {
  target_->setText(QString::fromStdString(session_.folder()));
  QTimer::singleShot(0, this, &CopyPage::runCopy);
}

void CopyPage::runCopy() {
  if (running_ || copied_) return;
  running_ = true;
  bool ok = session_.copyAndRegister(*this);
  running_ = false;
  copied_ = ok;
  emit completeChanged();
  emit finished(ok);
}

void CopyPage::progress(int percent) {
  bar_->setValue(percent);
  bar_->repaint();
}

bool CopyPage::cancelled() {
  QCoreApplication::processEvents();
  return cancel_;
}

}  // namespace gw::setup
