// A number field with a spin: the operator may type anything (OK reads the text and refuses
// what is not a number in range), the spin steps within its own range, and a held spin moves
// 1 at first, 10 after 2 s and 100 after 5 s.
#pragma once

#include <QAbstractSpinBox>

#include "client/editors/spin_acceleration.h"
#include "platform/clock.h"

namespace gw {

class AcceleratingSpinBox : public QAbstractSpinBox {
  Q_OBJECT
 public:
  // The clock times the holding (monotonic time); it must outlive the box.
  AcceleratingSpinBox(Clock& clock, int low, int high, QWidget* parent = nullptr);

  void setValue(int value);
  // The number the spin last stood at; the typed text may say something else.
  int value() const { return value_; }
  QString text() const;
  void setText(const QString& text);
  // Off for fields whose spin never speeds up.
  void setAccelerating(bool on) { accelerating_ = on; }

  void stepBy(int steps) override;

 signals:
  void stepped(int value);

 protected:
  StepEnabled stepEnabled() const override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  // The typed number when it reads as one, otherwise where the spin last stood.
  int current() const;

  Clock& clock_;
  int low_;
  int high_;
  int value_;
  bool accelerating_ = true;
  SpinAcceleration acceleration_;
};

}  // namespace gw
