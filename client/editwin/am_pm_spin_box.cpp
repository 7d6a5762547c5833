// The AM/PM field.
#include "client/editwin/am_pm_spin_box.h"

#include <QLineEdit>

namespace gw {

AmPmSpinBox::AmPmSpinBox(QWidget* parent) : QAbstractSpinBox(parent) {
  lineEdit()->setMaxLength(2);
  setPm(false);
}

QString AmPmSpinBox::text() const { return lineEdit()->text(); }

void AmPmSpinBox::setPm(bool pm) { lineEdit()->setText(pm ? "PM" : "AM"); }

void AmPmSpinBox::stepBy(int steps) {
  if (steps != 0) setPm(steps < 0);
}

QAbstractSpinBox::StepEnabled AmPmSpinBox::stepEnabled() const {
  return isEnabled() ? (StepUpEnabled | StepDownEnabled) : StepNone;
}

}  // namespace gw
