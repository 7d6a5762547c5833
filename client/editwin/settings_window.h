// The settings window ("Setup"): the communication medium, sounds and buzzer, the shutdown
// delay and the warnings after a power failure, and the UPS self-test.
#pragma once

#include <QComboBox>
#include <QTimer>

#include "client/editors/settings_editor.h"
#include "client/editwin/accelerating_spin_box.h"
#include "client/editwin/editor_dialog.h"
#include "client/editwin/session_editor_link.h"

namespace gw {

class SettingsWindow : public EditorDialog {
  Q_OBJECT
 public:
  // The host and the run's memory must outlive the window.
  SettingsWindow(WindowHost& host, RunMemory& memory);

  // what 0: the policies and settings; 1: the communication.
  void dataState(bool available, int what) override;
  void requestDone(uint32_t message) override;
  void closeCommand(int command) override;

  const SettingsEditor& editor() const { return editor_; }
  bool setupEnabled() const { return setup_enabled_; }
  // The self-test timer's period while it runs; 0 when stopped.
  int selfTestTimerMs() const { return self_test_timer_.isActive() ? self_test_timer_.interval() : 0; }

 private:
  void show(const SettingsValues& values);
  void applyEnabling();
  void setSetupEnabled(bool on);
  void refreshMedia();
  void ok();
  void pressDefault();
  void pressSelfTest();
  void selfTestTick();
  void applySelfTest(const SettingsEditor::SelfTestStep& step);
  AcceleratingSpinBox* field(const FieldRange& range, int x, int y, const char* name);

  SessionEditorLink link_;
  RunMemory& memory_;
  SettingsEditor editor_;
  QComboBox* media_ = nullptr;
  QCheckBox* play_sound_ = nullptr;
  QCheckBox* buzzer_ = nullptr;
  QCheckBox* shutdown_on_ = nullptr;
  AcceleratingSpinBox* shutdown_delay_ = nullptr;
  QCheckBox* warning_on_ = nullptr;
  AcceleratingSpinBox* warning_delay_ = nullptr;
  QCheckBox* warning_repeats_ = nullptr;
  AcceleratingSpinBox* warning_interval_ = nullptr;
  PanelButton* self_test_ = nullptr;
  AcceleratingSpinBox* self_test_length_ = nullptr;
  QTimer self_test_timer_;
  std::vector<QWidget*> setup_controls_;
  bool setup_enabled_ = false;
};

}  // namespace gw
