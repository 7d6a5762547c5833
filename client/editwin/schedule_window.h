// The schedule window: planned turn-offs, and turn-ons after them, on given dates ("Special
// Setting") or on weekdays every week ("Weekly Setting").
#pragma once

#include <QComboBox>
#include <QListWidget>
#include <array>

#include "client/editors/schedule_editor.h"
#include "client/editwin/accelerating_spin_box.h"
#include "client/editwin/am_pm_spin_box.h"
#include "client/editwin/editor_dialog.h"
#include "client/editwin/session_editor_link.h"

namespace gw {

class ScheduleWindow : public EditorDialog {
  Q_OBJECT
 public:
  // The host and the run's memory must outlive the window.
  ScheduleWindow(WindowHost& host, RunMemory& memory);

  void dataState(bool available, int what) override;
  void closeCommand(int command) override;

  const ScheduleEditor& editor() const { return editor_; }
  QListWidget* list(int page) const { return pages_[static_cast<size_t>(page)].list; }

 private:
  // One time's fields: a date (dated page) or a weekday (weekly page), and the clock.
  struct TimeFields {
    AcceleratingSpinBox* year = nullptr;
    AcceleratingSpinBox* month = nullptr;
    AcceleratingSpinBox* day = nullptr;
    QComboBox* weekday = nullptr;
    AmPmSpinBox* am_pm = nullptr;
    AcceleratingSpinBox* hour = nullptr;
    AcceleratingSpinBox* minute = nullptr;
  };
  struct Page {
    QWidget* widget = nullptr;
    QListWidget* list = nullptr;
    TimeFields off;
    TimeFields on;
    QCheckBox* turn_on = nullptr;
  };

  void makePage(int page);
  TimeFields makeFields(QWidget* parent, int page, int group_top, const QString& prefix);
  AcceleratingSpinBox* spin(QWidget* parent, int low, int high, const QRect& where,
                            const QString& name);
  void showPage(int page);
  void setFieldsNow(TimeFields* fields);
  void applyTurnOn(int page);
  void fillList(int page);
  void add();
  void remove();
  ClockInput clockOf(const TimeFields& f) const;
  DateInput dateOf(const TimeFields& f) const;

  SessionEditorLink link_;
  ScheduleEditor editor_;
  std::array<Page, 2> pages_;
  std::array<QRadioButton*, 2> radios_{};
};

}  // namespace gw
