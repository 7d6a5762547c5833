// The status window's message line: one text, white on black, bold, centred both ways. An
// information text gives way to "UPS OK." after five seconds; an alarm stays. Presses go on
// to the window below.
#pragma once

#include <QFont>
#include <QString>
#include <QTimer>
#include <QWidget>

#include "client/status/status_messages.h"
#include "platform/clock.h"

namespace gw {

class MessageLineWidget : public QWidget {
  Q_OBJECT
 public:
  // The clock must outlive the widget; its monotonic time measures the five seconds.
  MessageLineWidget(Clock& clock, QWidget* parent = nullptr);

  void showMessage(const std::string& text, MessageKind kind);
  QString text() const { return QString::fromStdString(line_.text()); }
  MessageKind kind() const { return line_.kind(); }

 signals:
  void textChanged(const QString& text);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  void expire();
  void arm();

  Clock& clock_;
  MessageLine line_;
  QTimer timer_;
  QFont font_;
};

}  // namespace gw
