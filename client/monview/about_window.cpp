// The About window's layout.
#include "client/monview/client_font.h"
#include "client/monview/about_window.h"

#include <QCloseEvent>
#include <QLinearGradient>
#include <QPainter>

#include "client/monview/panel_button.h"
#include "client/status/dialog_layout.h"
#include "client/status/docking_chain.h"

namespace gw {

AboutWindow::AboutWindow(WindowHost& host, StatusWindow::IdentitySource identity)
    : host_(host), identity_(std::move(identity)) {
  setWindowTitle("About Gridwatch Plus");
  setFixedSize(300, 168);
  setFont(clientFont(kFontCellPixels, dialogFontWeight(false, QFont::Normal)));

  label("Gridwatch Plus", QRect(18, 14, 264, 22), QFont::Black);
  label("UPS Management Client Program", QRect(18, 36, 264, 18));
  label(kClientVersionText, QRect(18, 56, 264, 18));
  label("Model :", QRect(18, 86, 80, 18), QFont::Bold);
  label("Version :", QRect(18, 106, 80, 18), QFont::Bold);
  model_ = label("Unknown", QRect(100, 86, 182, 18));
  version_ = label("Unknown", QRect(100, 106, 182, 18));

  PanelButton* ok = new PanelButton(kOrdinaryButton, this);
  ok->setText("OK");
  ok->setGeometry(210, 132, 72, 26);
  connect(ok, &PanelButton::clicked, this, [this] { closeCommand(kCommandOk); });
}

QLabel* AboutWindow::label(const QString& text, const QRect& where, int weight) {
  QLabel* l = new QLabel(text, this);
  l->setGeometry(where);
  QFont f = font();
  f.setWeight(static_cast<QFont::Weight>(weight));
  l->setFont(f);
  QPalette pal = l->palette();
  pal.setColor(QPalette::WindowText, QColor(0xDC, 0xE0, 0xDC));
  l->setPalette(pal);
  return l;
}

void AboutWindow::dataState(bool available, int what) {
  (void)what;
  UpsIdentity id = identity_ ? identity_() : UpsIdentity{};
  model_->setText(identityText(available, id.model_code, id.model));
  version_->setText(identityText(available, id.version_code, id.version));
}

void AboutWindow::closeCommand(int command) {
  (void)command;  // OK, or the program closing: both just close
  close();
}

void AboutWindow::closeEvent(QCloseEvent* event) {
  event->accept();
  if (!reported_) {
    reported_ = true;
    host_.windowClosed(kSlotAbout);
  }
}

void AboutWindow::paintEvent(QPaintEvent*) {
  QPainter p(this);
  QLinearGradient metal(0, 0, 0, height());
  metal.setColorAt(0, QColor(0x4C, 0x52, 0x4C));
  metal.setColorAt(1, QColor(0x2C, 0x30, 0x2C));
  p.fillRect(rect(), metal);
  p.setPen(QColor(0x1A, 0x1C, 0x1A));
  p.drawLine(18, 78, 282, 78);
  p.setPen(QColor(0x6A, 0x70, 0x6A));
  p.drawLine(18, 79, 282, 79);
}

}  // namespace gw
