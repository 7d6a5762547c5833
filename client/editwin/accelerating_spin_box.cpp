// The number field with its accelerating spin.
#include "client/editwin/accelerating_spin_box.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <algorithm>

namespace gw {
namespace {

bool isStepKey(int key) {
  return key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp ||
         key == Qt::Key_PageDown;
}

}  // namespace

AcceleratingSpinBox::AcceleratingSpinBox(Clock& clock, int low, int high, QWidget* parent)
    : QAbstractSpinBox(parent), clock_(clock), low_(low), high_(high), value_(low) {
  setValue(low);
}

void AcceleratingSpinBox::setValue(int value) {
  value_ = std::clamp(value, low_, high_);
  lineEdit()->setText(QString::number(value_));
}

QString AcceleratingSpinBox::text() const { return lineEdit()->text(); }

void AcceleratingSpinBox::setText(const QString& text) { lineEdit()->setText(text); }

int AcceleratingSpinBox::current() const {
  bool ok = false;
  const int typed = lineEdit()->text().trimmed().toInt(&ok);
  return ok ? typed : value_;
}

void AcceleratingSpinBox::stepBy(int steps) {
  const int step = accelerating_ ? acceleration_.step(clock_.monotonicMs()) : 1;
  const long long target = static_cast<long long>(current()) + static_cast<long long>(steps) * step;
  setValue(static_cast<int>(std::clamp<long long>(target, low_, high_)));
  emit stepped(value_);
}

QAbstractSpinBox::StepEnabled AcceleratingSpinBox::stepEnabled() const {
  if (!isEnabled() || isReadOnly()) return StepNone;
  const int at = current();
  StepEnabled enabled = StepNone;
  if (at < high_) enabled |= StepUpEnabled;
  if (at > low_) enabled |= StepDownEnabled;
  return enabled;
}

void AcceleratingSpinBox::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) acceleration_.press(clock_.monotonicMs());
  QAbstractSpinBox::mousePressEvent(event);
}

void AcceleratingSpinBox::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) acceleration_.release();
  QAbstractSpinBox::mouseReleaseEvent(event);
}

void AcceleratingSpinBox::keyPressEvent(QKeyEvent* event) {
  if (isStepKey(event->key())) {
    if (!event->isAutoRepeat()) {
      acceleration_.press(clock_.monotonicMs());
    } else if (isEnabled() && !isReadOnly()) {
      // The keyboard's own repeat moves the spin, one step per repeat, rather than the box's
      // timer starting a second repeat of its own.
      const bool up = event->key() == Qt::Key_Up || event->key() == Qt::Key_PageUp;
      stepBy(up ? 1 : -1);
      event->accept();
      return;
    }
  }
  QAbstractSpinBox::keyPressEvent(event);
}

void AcceleratingSpinBox::keyReleaseEvent(QKeyEvent* event) {
  if (isStepKey(event->key()) && !event->isAutoRepeat()) acceleration_.release();
  QAbstractSpinBox::keyReleaseEvent(event);
}

void AcceleratingSpinBox::focusOutEvent(QFocusEvent* event) {
  acceleration_.release();  // a release that went elsewhere
  QAbstractSpinBox::focusOutEvent(event);
}

}  // namespace gw
