// The "AM / PM" field: at most two characters; its spin writes "AM" when stepped up and "PM"
// when stepped down.
#pragma once

#include <QAbstractSpinBox>

namespace gw {

class AmPmSpinBox : public QAbstractSpinBox {
  Q_OBJECT
 public:
  explicit AmPmSpinBox(QWidget* parent = nullptr);

  QString text() const;
  void setPm(bool pm);
  void stepBy(int steps) override;

 protected:
  StepEnabled stepEnabled() const override;
};

}  // namespace gw
