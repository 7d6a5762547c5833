// Drawing the client's buttons.
#include "client/monview/panel_button.h"

#include <QPainter>

namespace gw {
namespace {

QColor fromWindows(uint32_t c) { return QColor(redOf(c), greenOf(c), blueOf(c)); }

// Text is dark on light faces (the power button) and light on dark ones.
QColor captionColour(uint32_t face) {
  int luma = (redOf(face) * 299 + greenOf(face) * 587 + blueOf(face) * 114) / 1000;
  return luma > 140 ? QColor(0x20, 0x10, 0x00) : QColor(0xF4, 0xF6, 0xF4);
}

}  // namespace

PanelButton::PanelButton(const ButtonColours& colours, QWidget* parent)
    : QAbstractButton(parent), colours_(colours) {
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void PanelButton::setPicture(const QImage& picture) {
  picture_ = picture;
  update();
}

QSize PanelButton::sizeHint() const {
  int caption = text().isEmpty() ? 0 : fontMetrics().horizontalAdvance(text()) + 8;
  return QSize(picture_.width() + caption + 16, std::max(picture_.height(), fontMetrics().height()) + 10);
}

void PanelButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QRect r = rect();
  const bool down = isDown() || isChecked();
  p.fillRect(r, isEnabled() ? fromWindows(colours_.face) : fromWindows(colours_.face).darker(130));

  if (hasFocus()) {
    QPen dots(captionColour(colours_.face), 1, Qt::DotLine);
    p.setPen(dots);
    p.drawRect(r.adjusted(3, 3, -4, -4));
  }
  const QColor light = fromWindows(down ? colours_.dark : colours_.light);
  const QColor dark = fromWindows(down ? colours_.light : colours_.dark);
  for (int ring = 0; ring < 2; ++ring) {
    QRect b = r.adjusted(ring, ring, -ring, -ring);  // bottom() and right() are inclusive
    p.setPen(light);
    p.drawLine(b.topLeft(), b.topRight());
    p.drawLine(b.topLeft(), b.bottomLeft());
    p.setPen(dark);
    p.drawLine(b.bottomLeft(), b.bottomRight());
    p.drawLine(b.topRight(), b.bottomRight());
  }

  const int shift = down ? 1 : 0;
  int x = 6;
  if (!picture_.isNull()) {
    if (text().isEmpty()) x = (r.width() - picture_.width()) / 2;
    QPoint at(x + shift, (r.height() - picture_.height()) / 2 + shift);
    if (!isEnabled()) p.setOpacity(0.45);
    p.drawImage(at, picture_);
    p.setOpacity(1);
    x += picture_.width() + 4;
  }
  if (!text().isEmpty()) {
    p.setPen(isEnabled() ? captionColour(colours_.face) : fromWindows(colours_.light));
    QRect area(x + shift, shift, r.width() - x - 4, r.height());
    p.drawText(area, (picture_.isNull() ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter,
               text());
  }
}

}  // namespace gw
