// The UPS configuration window ("Advance"): the UPS's transfer and battery thresholds, each
// chosen among the values the UPS allows, and its cold-start behaviour.
#pragma once

#include <QLineEdit>
#include <QScrollBar>
#include <array>

#include "client/editors/ups_config_editor.h"
#include "client/editwin/editor_dialog.h"
#include "client/editwin/session_editor_link.h"

namespace gw {

class UpsConfigWindow : public EditorDialog {
  Q_OBJECT
 public:
  // The host must outlive the window.
  explicit UpsConfigWindow(WindowHost& host);

  void dataState(bool available, int what) override;
  void requestDone(uint32_t message) override;
  void closeCommand(int command) override;

  const UpsConfigEditor& editor() const { return editor_; }
  QScrollBar* bar(int row) const { return bars_[static_cast<size_t>(row)]; }
  QString valueText(int row) const { return values_[static_cast<size_t>(row)]->text(); }
  // Refusals sounded so far.
  int beeps() const { return beeps_; }

 private:
  void refresh();
  void scrolled(int row, int action);
  void ok();

  SessionEditorLink link_;
  UpsConfigEditor editor_;
  std::array<QScrollBar*, kThresholdRows> bars_{};
  std::array<QLineEdit*, kThresholdRows> values_{};
  QCheckBox* cold_start_ = nullptr;
  std::vector<QWidget*> controls_;
  bool opened_loaded_ = false;
  int beeps_ = 0;
};

}  // namespace gw
