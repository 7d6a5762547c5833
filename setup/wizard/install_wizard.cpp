// The pages carry the banner text as their title, which the modern style draws over the
// banner picture.
#include "setup/wizard/install_wizard.h"

#include <QCheckBox>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QTimer>
#include <QVBoxLayout>

#include "setup/logic/setup_tables.h"
#include "setup/wizard/copy_page.h"
#include "setup/wizard/destination_page.h"
#include "setup/wizard/licence_text.h"

namespace gw::setup {
namespace {

QPixmap bannerPicture() {
  QPixmap picture(640, 64);
  QPainter painter(&picture);
  QLinearGradient fill(0, 0, picture.width(), 0);
  fill.setColorAt(0, QColor(0xf2, 0xf6, 0xfb));
  fill.setColorAt(0.55, QColor(0xc9, 0xdc, 0xee));
  fill.setColorAt(1, QColor(0x3c, 0x8d, 0xbc));
  painter.fillRect(picture.rect(), fill);
  painter.setPen(QColor(0xf5, 0xb7, 0x00));
  painter.setBrush(QColor(0xf5, 0xb7, 0x00));
  // A lightning mark at the right end.
  const QPointF bolt[] = {{600, 8}, {584, 34}, {596, 34}, {588, 58}, {612, 26}, {600, 26}, {610, 8}};
  painter.drawPolygon(bolt, 7);
  return picture;
}

}  // namespace

QString InstallWizard::bannerText() { return QString(kBannerFormat).replace("%s", kVersion); }

InstallWizard::InstallWizard(InstallSession& session, QWidget* parent)
    : QWizard(parent), session_(session) {
  setWindowTitle("Install");
  setWizardStyle(QWizard::ModernStyle);
  setPixmap(QWizard::BannerPixmap, bannerPicture());
  setOption(QWizard::NoBackButtonOnLastPage, true);
  setOption(QWizard::NoCancelButtonOnLastPage, true);
  setTitleFormat(Qt::PlainText);
  setSubTitleFormat(Qt::PlainText);

  setPage(kWelcome,
          makeTextPage("Welcome",
                       "Welcome to the Gridwatch Plus Setup program. This program will install "
                       "Gridwatch Plus on your computer.\n\nGridwatch Plus watches your "
                       "uninterruptible power supply and shuts the computer down in order when "
                       "mains power fails.\n\nClick Next to continue."));

  auto* licence = makeTextPage("Software License Agreement",
                               "Please read the following License Agreement. Press the PAGE "
                               "DOWN key to see the rest of the agreement.");
  auto* text = new QPlainTextEdit(QString::fromUtf8(kLicenceText), licence);
  text->setReadOnly(true);
  licence->layout()->addWidget(text);
  licence->setButtonText(QWizard::NextButton, "Yes");
  licence->setButtonText(QWizard::CancelButton, "No");
  setPage(kLicence, licence);

  destination_ = new DestinationPage(session_, this);
  destination_->setCommitPage(true);  // once the copy begins there is no way back
  destination_->setButtonText(QWizard::CommitButton, "&Next >");
  setPage(kDestination, destination_);

  copy_ = new CopyPage(session_, this);
  copy_->setButtonText(QWizard::CommitButton, "&Next >");
  setPage(kCopy, copy_);
  connect(copy_, &CopyPage::finished, this, [this](bool ok) {
    if (!ok) {
      done(QDialog::Rejected);  // aborted or cancelled: setup ends, the copied files stay
    } else if (currentId() == kCopy) {
      next();
    }
  });

  auto* complete = makeTextPage("Setup Complete",
                                "Setup has finished installing Gridwatch Plus on your computer. "
                                "The UPS service starts when you click Finish.");
  run_client_ = new QCheckBox("Execute the Gridwatch Plus Now.", complete);
  run_client_->setChecked(true);
  complete->layout()->addWidget(run_client_);
  setPage(kComplete, complete);

  for (int id : pageIds()) page(id)->setTitle(bannerText());
  connect(this, &QWizard::currentIdChanged, this, [this] {
    if (autopilot_) QTimer::singleShot(0, this, &InstallWizard::autopilotStep);
  });
}

void InstallWizard::setAutopilot(bool on) {
  autopilot_ = on;
  if (on) {
    run_client_->setChecked(false);
    QTimer::singleShot(0, this, &InstallWizard::autopilotStep);
  }
}

void InstallWizard::autopilotStep() {
  int id = currentId();
  if (id == kCopy) return;  // moves on by itself when the copy is done
  if (id == kComplete) {
    accept();
    return;
  }
  next();
  // A page that refused its defaults would wait for a user who is not there.
  if (currentId() == id) done(QDialog::Rejected);
}

void InstallWizard::accept() {
  // Finish may be reached twice (a queued step and a close); the programs start once.
  if (currentId() != kComplete || finished_) return;
  finished_ = true;
  session_.finish(run_client_->isChecked());
  QWizard::accept();
}

void InstallWizard::reject() {
  switch (currentId()) {
    case kLicence:
      QWizard::reject();  // "No": the agreement was declined
      return;
    case kCopy:
      if (copy_->running()) copy_->requestCancel();
      return;
    case kComplete:
      accept();  // everything is installed; closing the last page is Finish
      return;
    default:
      if (session_.prompts().askYesNo("Exit Setup",
                                      "Setup is not complete. Do you want to exit Setup?")) {
        QWizard::reject();
      }
  }
}

QWizardPage* InstallWizard::makeTextPage(const QString& subtitle, const QString& text) {
  auto* page = new QWizardPage(this);
  page->setSubTitle(subtitle);
  auto* layout = new QVBoxLayout(page);
  auto* label = new QLabel(text, page);
  label->setWordWrap(true);
  layout->addWidget(label);
  return page;
}

}  // namespace gw::setup
