// The copy progress page: "Copy to :" with the folder, and the percentage done. The copy starts
// when the page is shown; it runs in the window's thread and lets input through between rows,
// so that Cancel ends it.
#pragma once

#include <QWizardPage>

#include "setup/logic/install_session.h"

class QLabel;
class QProgressBar;

namespace gw::setup {

class CopyPage : public QWizardPage, private CopyObserver {
  Q_OBJECT

 public:
  CopyPage(InstallSession& session, QWidget* parent = nullptr);

  void initializePage() override;
  bool isComplete() const override { return copied_; }
  // The user's cancel: the copy stops after the row it is on.
  void requestCancel() { cancel_ = true; }
  bool running() const { return running_; }

  QProgressBar* progressBar() const { return bar_; }

 signals:
  // The copy and the system steps are done (true), or setup must end (false).
  void finished(bool ok);

 private:
  void runCopy();
  void progress(int percent) override;
  bool cancelled() override;

  InstallSession& session_;
  QLabel* target_;
  QProgressBar* bar_;
  bool copied_ = false;
  bool cancel_ = false;
  bool running_ = false;
};

}  // namespace gw::setup
