// The status window's layout and behaviour.
#include "client/monview/client_font.h"
#include "client/monview/status_window.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>

#include "client/monview/message_line_widget.h"
#include "client/monview/panel_artwork.h"
#include "client/monview/panel_button.h"
#include "client/monview/status_layout.h"
#include "client/status/dialog_layout.h"
#include "client/status/docking_chain.h"
#include "client/status/status_messages.h"
#include "client/status/window_router.h"

namespace gw {

QString identityText(bool available, int code, const std::string& text) {
  return available && code == 0 ? QString::fromStdString(text) : QString();
}

StatusWindow::StatusWindow(WindowHost& host, GaugePanel::Source gauges, IdentitySource identity)
    : host_(host), identity_(std::move(identity)) {
  setWindowTitle("Gridwatch Plus");
  setFixedSize(kStatusWidth, kStatusHeight);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFont(clientFont(kFontCellPixels, dialogFontWeight(true, QFont::Normal)));

  panel_ = new GaugePanel(host_.artwork(), std::move(gauges), this);
  panel_->setGeometry(kGaugePanelRect);
  connect(panel_, &GaugePanel::ticked, this, &StatusWindow::onTicked);
  message_ = new MessageLineWidget(host_.clock(), this);
  message_->setGeometry(kMessageLineRect);

  PanelButton* power = new PanelButton(kPowerButton, this);
  power->setGeometry(kPowerRect);
  power->setText("Power");
  power->setPicture(host_.artwork().buttonPicture(ButtonPicture::kPower));
  connect(power, &PanelButton::clicked, this, [this] { closeCommand(kCommandPower); });

  PanelButton* minimize = button(kMinimizeRect, static_cast<int>(ButtonPicture::kMinimize), {});
  minimize->setToolTip("Minimize");
  connect(minimize, &PanelButton::clicked, this, [this] { host_.minimizeAll(); });

  struct Opener {
    QRect where;
    ButtonPicture picture;
    const char* caption;
    int id;
  } openers[] = {{kLogButtonRect, ButtonPicture::kLog, "Log", kWindowIdLog},
                 {kSetupButtonRect, ButtonPicture::kSetup, "Setup", kWindowIdSettings},
                 {kScheduleButtonRect, ButtonPicture::kSchedule, "Schedule", kWindowIdSchedule}};
  for (const Opener& o : openers) {
    PanelButton* b = button(o.where, static_cast<int>(o.picture), {});
    b->setAccessibleName(o.caption);
    int id = o.id;
    connect(b, &PanelButton::clicked, this, [this, id] { host_.openWindow(id); });
    label(o.caption, QRect(kButtonCaptionX, o.where.y(), 120, o.where.height()));
  }

  label("Model :", kModelLabelRect);
  label("Version :", kVersionLabelRect);
  model_value_ = label("Unknown", kModelValueRect);
  version_value_ = label("Unknown", kVersionValueRect);
}

QLabel* StatusWindow::label(const QString& text, const QRect& where) {
  QLabel* l = new QLabel(text, this);
  l->setGeometry(where);
  l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  QPalette pal = l->palette();
  pal.setColor(QPalette::WindowText, QColor(0xDC, 0xE0, 0xDC));
  l->setPalette(pal);
  return l;
}

PanelButton* StatusWindow::button(const QRect& where, int picture, const QString& caption) {
  PanelButton* b = new PanelButton(kOrdinaryButton, this);
  b->setGeometry(where);
  b->setText(caption);
  b->setPicture(host_.artwork().buttonPicture(static_cast<ButtonPicture>(picture)));
  return b;
}

QString StatusWindow::messageText() const { return message_->text(); }

void StatusWindow::showMessage(const std::string& text, bool information) {
  message_->showMessage(text, information ? MessageKind::kInformation : MessageKind::kAlarm);
}

void StatusWindow::onTicked(uint32_t previous_flags, uint32_t flags) {
  for (const StatusMessage& m : messagesForChange(previous_flags, flags)) {
    message_->showMessage(m.text, m.kind);
    if (m.comm != CommChange::kNone) host_.communicationChanged(m.comm == CommChange::kUp);
  }
}

void StatusWindow::dataState(bool available, int what) {
  (void)what;  // only the settings window tells the two apart
  UpsIdentity id = identity_ ? identity_() : UpsIdentity{};
  model_value_->setText(identityText(available, id.model_code, id.model));
  version_value_->setText(identityText(available, id.version_code, id.version));
}

void StatusWindow::closeCommand(int command) {
  if (command != kCommandPower || closing_) return;
  closing_ = true;
  close();
  host_.windowClosed(kSlotStatus);
}

void StatusWindow::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.drawImage(0, 0, host_.artwork().background());
}

void StatusWindow::closeEvent(QCloseEvent* event) {
  // Only "Power" (or the program's own closing) closes it; the window manager's close button
  // is ignored, as the status window's system close always was.
  if (closing_) {
    event->accept();
  } else {
    event->ignore();
  }
}

void StatusWindow::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  menu.addAction("About Gridwatch Plus", this, [this] { host_.openWindow(kWindowIdAbout); });
  menu.exec(event->globalPos());
}

}  // namespace gw
