// The message line's drawing and its one-shot timer.
#include "client/monview/client_font.h"
#include "client/monview/message_line_widget.h"

#include <QMouseEvent>
#include <QPainter>

namespace gw {

MessageLineWidget::MessageLineWidget(Clock& clock, QWidget* parent)
    : QWidget(parent), clock_(clock) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  font_ = clientFont(kFontCellPixels, QFont::Bold);
  timer_.setSingleShot(true);
  connect(&timer_, &QTimer::timeout, this, &MessageLineWidget::expire);
}

void MessageLineWidget::showMessage(const std::string& text, MessageKind kind) {
  line_.show(text, kind, clock_.monotonicMs());
  arm();
  update();
  emit textChanged(this->text());
}

void MessageLineWidget::arm() {
  std::optional<int64_t> due = line_.deadline();
  if (!due) {
    timer_.stop();
    return;
  }
  int64_t wait = *due - clock_.monotonicMs();
  timer_.start(static_cast<int>(std::max<int64_t>(0, wait)));
}

void MessageLineWidget::expire() {
  if (line_.tick(clock_.monotonicMs())) {
    update();
    emit textChanged(text());
  }
  arm();  // a timer that fired early waits for the rest
}

void MessageLineWidget::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), Qt::black);
  p.setFont(font_);
  p.setPen(Qt::white);
  p.drawText(rect(), Qt::AlignCenter, text());
}

void MessageLineWidget::mousePressEvent(QMouseEvent* event) { event->ignore(); }

}  // namespace gw
