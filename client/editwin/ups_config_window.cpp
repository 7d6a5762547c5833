// The UPS configuration window's rows over its editor.
#include "client/editwin/ups_config_window.h"

#include <QApplication>

#include "client/session/completion_message.h"
#include "client/status/docking_chain.h"

namespace gw {
namespace {

constexpr int kRowPitch = 58;

}  // namespace

UpsConfigWindow::UpsConfigWindow(WindowHost& host)
    : EditorDialog(host, kSlotUpsConfig, "UPS Configuration", QSize(360, 336)),
      link_(host, kSlotUpsConfig),
      editor_(link_) {
  for (int r = 0; r < kThresholdRows; ++r) {
    const ThresholdRowInfo& info = kThresholdRowInfo[static_cast<size_t>(r)];
    const int y = 6 + kRowPitch * r;
    addGroup(info.label, QRect(10, y, 340, 52));
    QScrollBar* bar = new QScrollBar(Qt::Horizontal, this);
    bar->setObjectName(QString("bar%1").arg(r));
    bar->setGeometry(22, y + 24, 226, 18);
    bar->setRange(0, 0);
    bar->setSingleStep(1);
    bar->setPageStep(1);
    QLineEdit* value = new QLineEdit(this);
    value->setObjectName(QString("value%1").arg(r));
    value->setReadOnly(true);
    value->setAlignment(Qt::AlignRight);
    value->setGeometry(258, y + 22, 56, 22);
    addLabel(info.unit, QRect(320, y + 22, 24, 22));
    connect(bar, &QScrollBar::actionTriggered, this, [this, r](int action) { scrolled(r, action); });
    bars_[static_cast<size_t>(r)] = bar;
    values_[static_cast<size_t>(r)] = value;
    controls_.push_back(bar);
    controls_.push_back(value);
  }
  addGroup("Resume Mode", QRect(10, 238, 340, 50));
  cold_start_ = addCheckBox("Cold Start", QRect(22, 260, 150, 22));
  cold_start_->setObjectName("cold_start");
  connect(cold_start_, &QCheckBox::clicked, this, [this](bool on) { editor_.setColdStart(on); });
  controls_.push_back(cold_start_);

  PanelButton* ok_button = addButton("OK", QRect(110, 298, 76, 28));
  ok_button->setObjectName("ok");
  PanelButton* cancel = addButton("Cancel", QRect(192, 298, 76, 28));
  cancel->setObjectName("cancel");
  PanelButton* defaults = addButton("Default", QRect(274, 298, 76, 28));
  defaults->setObjectName("default");
  connect(ok_button, &PanelButton::clicked, this, [this] { ok(); });
  connect(cancel, &PanelButton::clicked, this, [this] { closeCommand(kCommandCancel); });
  connect(defaults, &PanelButton::clicked, this, [this] {
    editor_.defaults();
    refresh();
  });
  refresh();
  for (QWidget* w : controls_) w->setEnabled(false);
}

void UpsConfigWindow::refresh() {
  for (int r = 0; r < kThresholdRows; ++r) {
    QScrollBar* bar = bars_[static_cast<size_t>(r)];
    bar->setRange(0, std::max(editor_.count(r) - 1, 0));
    bar->setValue(editor_.position(r));
    values_[static_cast<size_t>(r)]->setText(QString::number(editor_.value(r)));
  }
  cold_start_->setChecked(editor_.coldStart());
}

void UpsConfigWindow::scrolled(int row, int action) {
  QScrollBar* bar = bars_[static_cast<size_t>(row)];
  switch (action) {
    case QAbstractSlider::SliderMove:
      editor_.moveTo(row, bar->sliderPosition());
      break;
    case QAbstractSlider::SliderSingleStepAdd:
    case QAbstractSlider::SliderPageStepAdd:
    case QAbstractSlider::SliderToMaximum:
      editor_.step(row, 1);
      break;
    case QAbstractSlider::SliderSingleStepSub:
    case QAbstractSlider::SliderPageStepSub:
    case QAbstractSlider::SliderToMinimum:
      editor_.step(row, -1);
      break;
    default:
      return;
  }
  // Every command moves exactly one step; the bar takes the position the editor chose.
  bar->setSliderPosition(editor_.position(row));
  values_[static_cast<size_t>(row)]->setText(QString::number(editor_.value(row)));
}

void UpsConfigWindow::dataState(bool available, int what) {
  (void)what;
  for (QWidget* w : controls_) w->setEnabled(available);
  if (available && !opened_loaded_) {
    opened_loaded_ = true;
    editor_.load();
    refresh();
  }
}

void UpsConfigWindow::ok() {
  switch (editor_.ok()) {
    case UpsConfigEditor::Outcome::kClose:
      finish();
      break;
    case UpsConfigEditor::Outcome::kWait:
      beginWait();
      break;
    case UpsConfigEditor::Outcome::kIgnored:
    case UpsConfigEditor::Outcome::kRestored:
      break;
  }
}

void UpsConfigWindow::requestDone(uint32_t message) {
  UpsConfigEditor::Outcome outcome;
  if (!editor_.requestDone(completionTag(message), completionCode(message), &outcome)) return;
  endWait();
  if (outcome == UpsConfigEditor::Outcome::kClose) {
    finish();
    return;
  }
  ++beeps_;
  QApplication::beep();
  refresh();
}

void UpsConfigWindow::closeCommand(int command) {
  (void)command;
  finish();
}

}  // namespace gw
