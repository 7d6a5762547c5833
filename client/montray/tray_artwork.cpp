// Drawing the tray's pictures at the size asked for.
#include "client/montray/tray_artwork.h"

#include <QPainter>
#include <algorithm>
#include <QPainterPath>
#include <QPixmap>

#include "protocol/tray_display.h"

namespace gw {
namespace {

struct Look {
  QColor badge;
  QColor rim;
  double fill;  // how much of the battery is filled, 0 to 1
  bool struck;  // a bar across the battery: nothing is known of it
};

Look lookOf(int icon_id) {
  switch (icon_id) {
    case kIconCommunicationLost:
      return {QColor(0x80, 0x86, 0x8c), QColor(0x4a, 0x4f, 0x54), 0.0, true};
    case kIconPowerFailure:
      return {QColor(0xf0, 0x9a, 0x12), QColor(0x9a, 0x5a, 0x00), 0.55, false};
    case kIconBatteryLow:
      return {QColor(0xd8, 0x2c, 0x20), QColor(0x80, 0x12, 0x0c), 0.15, false};
    default:
      return {QColor(0x2e, 0xa0, 0x4a), QColor(0x14, 0x5c, 0x26), 1.0, false};
  }
}

int px(double fraction, int size) { return static_cast<int>(fraction * size + 0.5); }

void drawBadge(QPainter& p, const Look& look, int size) {
  QLinearGradient shade(0, 0, 0, size);
  shade.setColorAt(0, look.badge.lighter(118));
  shade.setColorAt(1, look.badge.darker(112));
  const double rim = size / 20.0;
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setPen(QPen(look.rim, rim));
  p.setBrush(shade);
  p.drawRoundedRect(QRectF(rim / 2, rim / 2, size - rim, size - rim), size / 5.0, size / 5.0);
}

// The battery is laid out on whole pixels for each size, so that its outline stays sharp in
// the smallest trays.
void drawBattery(QPainter& p, const Look& look, int size) {
  const QColor ink(0xff, 0xff, 0xff);
  const int line = std::max(1, px(1.0 / 14, size));
  const QRect body(QPoint(px(0.14, size), px(0.30, size)), QPoint(px(0.76, size), px(0.70, size)));
  const int nub_height = std::max(2, body.height() / 2 - (body.height() / 2) % 2 + body.height() % 2);
  const QRect nub(body.right() + 1, body.center().y() - nub_height / 2 + (body.height() + 1) % 2,
                  std::max(1, px(0.08, size)), nub_height);
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setPen(Qt::NoPen);
  p.setBrush(ink);
  p.drawRect(body);
  p.drawRect(nub);
  p.setBrush(look.badge);
  p.drawRect(body.adjusted(line, line, -line, -line));
  if (look.fill > 0) {
    const QRect inside = body.adjusted(2 * line, 2 * line, -2 * line, -2 * line);
    const int width = std::max(1, static_cast<int>(inside.width() * look.fill + 0.5));
    p.setBrush(ink);
    p.drawRect(QRect(inside.left(), inside.top(), width, inside.height()));
  }
  if (look.struck) {
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(look.badge, 3.0 * line, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(size * 0.18, size * 0.86), QPointF(size * 0.86, size * 0.14));
    p.setPen(QPen(ink, 1.2 * line, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(size * 0.2, size * 0.84), QPointF(size * 0.84, size * 0.16));
  }
}

}  // namespace

QImage paintTrayPicture(int icon_id, int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  const Look look = lookOf(icon_id);
  drawBadge(p, look, size);
  drawBattery(p, look, size);
  return image;
}

QIcon trayIcon(int icon_id) {
  QIcon icon;
  for (int size : kTrayIconSizes) icon.addPixmap(QPixmap::fromImage(paintTrayPicture(icon_id, size)));
  return icon;
}

}  // namespace gw
