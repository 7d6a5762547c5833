// The same check runs for the field on Next and for the dialog on OK.
#include "setup/wizard/destination_page.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "setup/wizard/choose_directory_dialog.h"

namespace gw::setup {

DestinationPage::DestinationPage(InstallSession& session, QWidget* parent)
    : QWizardPage(parent), session_(session) {
  setSubTitle("Choose Destination Location");
  auto* layout = new QVBoxLayout(this);
  auto* text = new QLabel(
      "Setup will install Gridwatch Plus in the following folder.\n\nTo install into a "
      "different folder, click Browse... and select another folder.",
      this);
  text->setWordWrap(true);
  layout->addWidget(text);
  layout->addStretch();
  auto* row = new QHBoxLayout;
  field_ = new QLineEdit(QString::fromStdString(session_.folder()), this);
  browse_ = new QPushButton("Browse...", this);
  row->addWidget(field_);
  row->addWidget(browse_);
  layout->addWidget(new QLabel("Destination Folder", this));
  layout->addLayout(row);
  connect(field_, &QLineEdit::textChanged, this, &DestinationPage::completeChanged);
  connect(browse_, &QPushButton::clicked, this, &DestinationPage::browse);
}

bool DestinationPage::isComplete() const { return !field_->text().trimmed().isEmpty(); }

bool DestinationPage::validatePage() {
  return session_.acceptFolder(field_->text().trimmed().toStdString());
}

void DestinationPage::browse() {
  ChooseDirectoryDialog dialog(
      QString::fromStdString(session_.root().root()), field_->text().trimmed(),
      [this](const QString& folder) { return session_.acceptFolder(folder.toStdString()); }, this);
  if (dialog.exec() == QDialog::Accepted) {
    field_->setText(QString::fromStdString(session_.folder()));
  }
}

}  // namespace gw::setup
