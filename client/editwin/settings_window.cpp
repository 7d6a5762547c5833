// The settings window's controls over its editor.
#include "client/editwin/settings_window.h"

#include "client/session/completion_message.h"
#include "client/status/docking_chain.h"
#include "client/status/window_router.h"

namespace gw {
namespace {

constexpr int kCheckX = 22;
constexpr int kFieldX = 352;
constexpr int kRowHeight = 22;

}  // namespace

SettingsWindow::SettingsWindow(WindowHost& host, RunMemory& memory)
    : EditorDialog(host, kSlotSettings, "Setup", QSize(460, 286)),
      link_(host, kSlotSettings),
      memory_(memory),
      editor_(link_, memory) {
  addGroup("Setup", QRect(10, 6, 440, 166));
  addLabel("UPS Communication Media :", QRect(kCheckX, 28, 180, kRowHeight));
  media_ = new QComboBox(this);
  media_->setObjectName("media");
  media_->setGeometry(206, 28, 140, kRowHeight + 2);
  play_sound_ = addCheckBox("Play Sound", QRect(kCheckX, 58, 160, kRowHeight));
  play_sound_->setObjectName("play_sound");
  buzzer_ = addCheckBox("Buzzer On", QRect(206, 58, 160, kRowHeight));
  buzzer_->setObjectName("buzzer");
  shutdown_on_ = addCheckBox("Time between power failure and shutdown",
                             QRect(kCheckX, 86, 326, kRowHeight));
  shutdown_on_->setObjectName("shutdown_on");
  shutdown_delay_ = field(kShutdownDelayRange, kFieldX, 86, "shutdown_delay");
  warning_on_ = addCheckBox("Time between power failure and initial warning",
                            QRect(kCheckX, 114, 326, kRowHeight));
  warning_on_->setObjectName("warning_on");
  warning_delay_ = field(kWarningDelayRange, kFieldX, 114, "warning_delay");
  warning_repeats_ = addCheckBox("Delay between warning messages:",
                                 QRect(kCheckX + 18, 142, 308, kRowHeight));
  warning_repeats_->setObjectName("warning_repeats");
  warning_interval_ = field(kWarningIntervalRange, kFieldX, 142, "warning_interval");
  setup_controls_ = {media_,          play_sound_,   buzzer_,          shutdown_on_,
                     shutdown_delay_, warning_on_,   warning_delay_,   warning_repeats_,
                     warning_interval_};

  addGroup("UPS Self-Test", QRect(10, 180, 440, 56));
  self_test_ = addButton("Run", QRect(kCheckX, 202, 84, 26), kSelfTestButton);
  self_test_->setObjectName("self_test");
  self_test_length_ = field(kSelfTestLengthRange, 116, 204, "self_test_length");
  self_test_length_->setValue(memory_.self_test_length);

  PanelButton* advance = addButton("Advance", QRect(10, 248, 76, 28));
  PanelButton* about = addButton("About", QRect(92, 248, 76, 28));
  PanelButton* ok_button = addButton("OK", QRect(210, 248, 76, 28));
  ok_button->setObjectName("ok");
  PanelButton* cancel = addButton("Cancel", QRect(292, 248, 76, 28));
  cancel->setObjectName("cancel");
  PanelButton* defaults = addButton("Default", QRect(374, 248, 76, 28));
  defaults->setObjectName("default");

  for (QCheckBox* box : {shutdown_on_, warning_on_, warning_repeats_}) {
    connect(box, &QCheckBox::clicked, this, [this] { applyEnabling(); });
  }
  connect(advance, &PanelButton::clicked, this, [this] { host_.openWindow(kWindowIdUpsConfig); });
  connect(about, &PanelButton::clicked, this, [this] { host_.openWindow(kWindowIdAbout); });
  connect(ok_button, &PanelButton::clicked, this, [this] { ok(); });
  connect(cancel, &PanelButton::clicked, this, [this] { closeCommand(kCommandCancel); });
  connect(defaults, &PanelButton::clicked, this, [this] { pressDefault(); });
  connect(self_test_, &PanelButton::clicked, this, [this] { pressSelfTest(); });
  self_test_timer_.setSingleShot(true);
  connect(&self_test_timer_, &QTimer::timeout, this, [this] { selfTestTick(); });

  refreshMedia();
  setSetupEnabled(false);
  self_test_->setEnabled(false);
  self_test_length_->setEnabled(false);
}

AcceleratingSpinBox* SettingsWindow::field(const FieldRange& range, int x, int y,
                                           const char* name) {
  AcceleratingSpinBox* box = new AcceleratingSpinBox(host_.clock(), range.spin_low,
                                                     range.spin_high, this);
  box->setObjectName(name);
  box->setGeometry(x, y, 62, kRowHeight + 2);
  addLabel("sec.", QRect(x + 66, y, 30, kRowHeight));
  return box;
}

void SettingsWindow::refreshMedia() {
  const int selected = media_->currentIndex();
  const std::vector<std::string> texts = editor_.mediaTexts();
  if (media_->count() != static_cast<int>(texts.size())) {
    media_->clear();
    for (const std::string& t : texts) media_->addItem(QString::fromStdString(t));
    media_->setCurrentIndex(selected);
    return;
  }
  for (int i = 0; i < media_->count(); ++i) {
    media_->setItemText(i, QString::fromStdString(texts[static_cast<size_t>(i)]));
  }
}

void SettingsWindow::dataState(bool available, int what) {
  if (what == 1) {
    self_test_->setEnabled(available);
    self_test_length_->setEnabled(available);
    if (available) refreshMedia();
    return;
  }
  if (!available) {
    editor_.unload();
    setSetupEnabled(false);
    return;
  }
  if (!editor_.everLoaded()) {
    refreshMedia();
    show(editor_.load());
    applySelfTest({memory_.self_test_running, 0});
    if (memory_.self_test_running) selfTestTick();
  }
  setSetupEnabled(true);
}

void SettingsWindow::show(const SettingsValues& v) {
  media_->setCurrentIndex(v.media);
  play_sound_->setChecked(v.play_sound);
  buzzer_->setChecked(v.buzzer);
  shutdown_on_->setChecked(v.shutdown_on);
  shutdown_delay_->setValue(v.shutdown_delay);
  shutdown_delay_->setText(QString::number(v.shutdown_delay));  // what the service holds
  warning_on_->setChecked(v.warning_on);
  warning_delay_->setValue(v.warning_delay);
  warning_delay_->setText(QString::number(v.warning_delay));
  warning_repeats_->setChecked(v.warning_repeats);
  warning_interval_->setValue(v.warning_interval);
  warning_interval_->setText(QString::number(v.warning_interval));
  applyEnabling();
}

void SettingsWindow::setSetupEnabled(bool on) {
  setup_enabled_ = on;
  for (QWidget* w : setup_controls_) w->setEnabled(on);
  if (on) applyEnabling();
}

void SettingsWindow::applyEnabling() {
  if (!setup_enabled_) return;
  SettingsEnabling e = settingsEnabling(shutdown_on_->isChecked(), warning_on_->isChecked(),
                                        warning_repeats_->isChecked());
  shutdown_delay_->setEnabled(e.shutdown_delay);
  warning_delay_->setEnabled(e.warning_delay);
  warning_repeats_->setEnabled(e.warning_repeats);
  warning_interval_->setEnabled(e.warning_interval);
}

void SettingsWindow::pressDefault() {
  std::optional<SettingsValues> d = editor_.defaults();
  if (!d) return;
  show(*d);
  self_test_length_->setValue(kDefaultSelfTestLength);
}

void SettingsWindow::ok() {
  SettingsControls c;
  c.media = media_->currentIndex();
  c.play_sound = play_sound_->isChecked();
  c.buzzer = buzzer_->isChecked();
  c.shutdown_on = shutdown_on_->isChecked();
  c.shutdown_delay = shutdown_delay_->text().toStdString();
  c.warning_on = warning_on_->isChecked();
  c.warning_delay = warning_delay_->text().toStdString();
  c.warning_repeats = warning_repeats_->isChecked();
  c.warning_interval = warning_interval_->text().toStdString();
  SettingsEditor::OkResult r = editor_.ok(c);
  switch (r.outcome) {
    case SettingsEditor::Outcome::kClose:
      finish();
      break;
    case SettingsEditor::Outcome::kStay:
      showMessage(QString::fromStdString(r.message));
      break;
    case SettingsEditor::Outcome::kWait:
      beginWait();
      break;
    case SettingsEditor::Outcome::kDisable:
      break;
  }
}

void SettingsWindow::requestDone(uint32_t message) {
  SettingsEditor::Outcome outcome;
  if (!editor_.requestDone(completionTag(message), completionCode(message), &outcome)) return;
  if (outcome == SettingsEditor::Outcome::kWait) return;
  endWait();
  if (outcome == SettingsEditor::Outcome::kClose) {
    finish();
  } else {
    dataState(false, 0);  // the operator closes and opens the window again
  }
}

void SettingsWindow::closeCommand(int command) {
  (void)command;  // Cancel, or the program closing: nothing is sent
  finish();
}

void SettingsWindow::pressSelfTest() {
  SettingsEditor::SelfTestStep step;
  std::string message;
  const bool starting = !editor_.selfTestRunning();
  if (!editor_.pressSelfTest(self_test_length_->text().toStdString(), &step, &message)) {
    showMessage(QString::fromStdString(message));
    return;
  }
  if (starting) memory_.self_test_length = self_test_length_->text().trimmed().toInt();
  applySelfTest(step);
}

void SettingsWindow::selfTestTick() {
  self_test_timer_.stop();
  applySelfTest(editor_.selfTestTick());
}

void SettingsWindow::applySelfTest(const SettingsEditor::SelfTestStep& step) {
  self_test_->setText(step.running ? "Cancel" : "Run");
  if (step.timer_ms > 0) {
    self_test_timer_.start(step.timer_ms);
  } else {
    self_test_timer_.stop();
  }
}

}  // namespace gw
