// Choose Destination Location: the installation folder, typed or picked with "Browse...", and
// checked before the copy may begin.
#pragma once

#include <QWizardPage>

#include "setup/logic/install_session.h"

class QLineEdit;
class QPushButton;

namespace gw::setup {

class DestinationPage : public QWizardPage {
  Q_OBJECT

 public:
  DestinationPage(InstallSession& session, QWidget* parent = nullptr);

  bool validatePage() override;
  bool isComplete() const override;

  QLineEdit* folderField() const { return field_; }
  QPushButton* browseButton() const { return browse_; }

 private:
  void browse();

  InstallSession& session_;
  QLineEdit* field_;
  QPushButton* browse_;
};

}  // namespace gw::setup
