// The editing windows' common frame.
#include "client/editwin/editor_dialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLinearGradient>
#include <QMessageBox>
#include <QPainter>

#include "client/monview/client_font.h"
#include "client/status/dialog_layout.h"

namespace gw {
namespace {

const QColor kText(0xDC, 0xE0, 0xDC);
const QColor kEtchDark(0x1A, 0x1C, 0x1A);
const QColor kEtchLight(0x6A, 0x70, 0x6A);

void lightText(QWidget* w) {
  QPalette pal = w->palette();
  pal.setColor(QPalette::WindowText, kText);
  pal.setColor(QPalette::Disabled, QPalette::WindowText, kText.darker(170));
  w->setPalette(pal);
}

}  // namespace

EditorDialog::EditorDialog(WindowHost& host, int slot, const QString& title, QSize size)
    : host_(host), slot_(slot) {
  setWindowTitle(title);
  setFixedSize(size);
  setFont(clientFont(kFontCellPixels, dialogFontWeight(false, QFont::Normal)));
  lightText(this);
}

EditorDialog::~EditorDialog() { endWait(); }

void EditorDialog::addGroup(const QString& title, const QRect& frame, const QWidget* shown_with) {
  groups_.push_back({title, frame, shown_with, true});
  update();
}

void EditorDialog::addCheckedGroup(const QString& title, const QRect& frame,
                                   const QWidget* shown_with) {
  groups_.push_back({title, frame, shown_with, false});
  update();
}

QLabel* EditorDialog::addLabel(const QString& text, const QRect& where, QWidget* parent) {
  QLabel* label = new QLabel(text, parent ? parent : this);
  label->setGeometry(where);
  lightText(label);
  return label;
}

QCheckBox* EditorDialog::addCheckBox(const QString& text, const QRect& where, QWidget* parent) {
  QCheckBox* box = new QCheckBox(text, parent ? parent : this);
  box->setGeometry(where);
  lightText(box);
  return box;
}

QRadioButton* EditorDialog::addRadio(const QString& text, const QRect& where, QWidget* parent) {
  QRadioButton* radio = new QRadioButton(text, parent ? parent : this);
  radio->setGeometry(where);
  lightText(radio);
  return radio;
}

PanelButton* EditorDialog::addButton(const QString& text, const QRect& where,
                                     const ButtonColours& colours) {
  PanelButton* button = new PanelButton(colours, this);
  button->setText(text);
  button->setGeometry(where);
  return button;
}

void EditorDialog::showMessage(const QString& text) {
  QMessageBox* box = new QMessageBox(QMessageBox::Warning, windowTitle(), text, QMessageBox::Ok, this);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->open();
}

void EditorDialog::beginWait() {
  if (waiting_) return;
  waiting_ = true;
  QApplication::setOverrideCursor(Qt::WaitCursor);
}

void EditorDialog::endWait() {
  if (!waiting_) return;
  waiting_ = false;
  QApplication::restoreOverrideCursor();
}

void EditorDialog::finish() { close(); }

void EditorDialog::closeEvent(QCloseEvent* event) {
  event->accept();
  endWait();
  if (!reported_) {
    reported_ = true;
    host_.windowClosed(slot_);
  }
}

void EditorDialog::paintEvent(QPaintEvent*) {
  QPainter p(this);
  QLinearGradient metal(0, 0, 0, height());
  metal.setColorAt(0, QColor(0x4C, 0x52, 0x4C));
  metal.setColorAt(1, QColor(0x2C, 0x30, 0x2C));
  p.fillRect(rect(), metal);
  const QFontMetrics metrics(font());
  for (const Group& g : groups_) {
    if (g.shown_with && !g.shown_with->isVisible()) continue;
    const QRect f = g.frame;
    const int top = f.top() + metrics.height() / 2;
    // A check box title also has its indicator before the text.
    const int indicator = g.draw_title ? 0 : metrics.height() + 8;
    const int title_end = g.title.isEmpty()
                              ? f.left() + 8
                              : f.left() + 12 + indicator + metrics.horizontalAdvance(g.title);
    // An etched frame: a dark line with a light one beside it, open where the title sits.
    for (int shade = 0; shade < 2; ++shade) {
      p.setPen(shade == 0 ? kEtchDark : kEtchLight);
      const int d = shade;
      p.drawLine(f.left() + d, top + d, f.left() + d, f.bottom() - 1 + d);
      p.drawLine(f.left() + d, f.bottom() - 1 + d, f.right() - 1 + d, f.bottom() - 1 + d);
      p.drawLine(f.right() - 1 + d, top + d, f.right() - 1 + d, f.bottom() - 1 + d);
      p.drawLine(f.left() + d, top + d, f.left() + 6, top + d);
      p.drawLine(title_end, top + d, f.right() - 1 + d, top + d);
    }
    if (g.draw_title && !g.title.isEmpty()) {
      p.setPen(kText);
      p.drawText(QRect(f.left() + 9, f.top(), title_end - f.left() - 9, metrics.height()),
                 Qt::AlignLeft | Qt::AlignVCenter, g.title);
    }
  }
}

}  // namespace gw
