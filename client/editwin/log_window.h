// The log window: the event log, the closed applications and the files they saved, and the
// status records with their record timing; Clear empties the log shown.
#pragma once

#include <QWidget>
#include <array>

#include "client/editors/log_viewer.h"
#include "client/editwin/accelerating_spin_box.h"
#include "client/editwin/editor_dialog.h"
#include "client/editwin/session_editor_link.h"
#include "client/editwin/tab_stop_list.h"

namespace gw {

class LogWindow : public EditorDialog {
  Q_OBJECT
 public:
  // The host and the run's memory must outlive the window.
  LogWindow(WindowHost& host, RunMemory& memory);

  void requestDone(uint32_t message) override;
  void closeCommand(int command) override;

  const LogViewer& viewer() const { return viewer_; }
  TabStopList* list(int log) const { return lists_[static_cast<size_t>(log)]; }
  int shownPage() const { return viewer_.shown(); }

 private:
  // `sample` is a row of the page's widest form; heading i stands over its column columns[i].
  QWidget* makePage(int log, const std::vector<QString>& headings, const std::vector<int>& columns,
                    std::vector<int> stops, const QString& sample, int top);
  void showPage(int log);
  void apply(const ListChange& change);
  void ok();
  void applyPeriodic();

  SessionEditorLink link_;
  LogViewer viewer_;
  std::array<QWidget*, kLogKindCount> pages_{};
  std::array<TabStopList*, kLogKindCount> lists_{};
  std::array<QRadioButton*, kLogKindCount> radios_{};
  QCheckBox* periodic_ = nullptr;
  AcceleratingSpinBox* minutes_ = nullptr;
  AcceleratingSpinBox* seconds_ = nullptr;
  QCheckBox* on_event_ = nullptr;
};

}  // namespace gw
