// The installation wizard over one InstallSession: Welcome, Software License Agreement (Yes /
// No), Choose Destination Location, the copy, Setup Complete. Cancel asks before setup ends,
// except on the licence page, where No ends it at once. In autopilot it moves on by itself,
// taking every default, as an unattended run needs.
#pragma once

#include <QWizard>

#include "setup/logic/install_session.h"

class QCheckBox;

namespace gw::setup {

class CopyPage;
class DestinationPage;

class InstallWizard : public QWizard {
  Q_OBJECT

 public:
  enum PageId { kWelcome, kLicence, kDestination, kCopy, kComplete };

  InstallWizard(InstallSession& session, QWidget* parent = nullptr);

  // Moves through the pages without a user; the client is not started at the end.
  void setAutopilot(bool on);

  // "Norvane - Gridwatch Plus 2.1.4 Setup".
  static QString bannerText();

  DestinationPage* destinationPage() const { return destination_; }
  CopyPage* copyPage() const { return copy_; }
  QCheckBox* runClientBox() const { return run_client_; }

 public slots:
  void accept() override;
  void reject() override;

 private:
  QWizardPage* makeTextPage(const QString& subtitle, const QString& text);
  void autopilotStep();

  InstallSession& session_;
  DestinationPage* destination_;
  CopyPage* copy_;
  QCheckBox* run_client_;
  bool finished_ = false;
  bool autopilot_ = false;
};

}  // namespace gw::setup
