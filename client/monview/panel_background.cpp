// The status window's plate (dark brushed metal, screws, engraved rules and name) and the
// pictures on its buttons.
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include "client/monview/artwork_painters.h"
#include "client/monview/client_font.h"
#include "client/monview/status_layout.h"
#include "client/status/panel_colours.h"

namespace gw {
namespace {

QColor fromWindows(uint32_t c) { return QColor(redOf(c), greenOf(c), blueOf(c)); }

// Fine horizontal grain from a fixed linear congruential sequence, so every start draws the
// same plate.
void brush(QPainter& p, const QRect& area) {
  uint32_t seed = 0x2468ACE1u;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    int x = area.left();
    while (x <= area.right()) {
      seed = seed * 1664525u + 1013904223u;
      int length = 6 + static_cast<int>((seed >> 8) % 40);
      int shade = static_cast<int>((seed >> 20) % 15) - 7;
      p.setPen(shade >= 0 ? QColor(255, 255, 255, shade * 2) : QColor(0, 0, 0, -shade * 3));
      p.drawLine(x, y, std::min(x + length, area.right()), y);
      x += length;
    }
  }
}

void screw(QPainter& p, QPointF centre) {
  QRadialGradient g(centre - QPointF(1, 1), 3.5);
  g.setColorAt(0, QColor(0xB8, 0xBC, 0xB8));
  g.setColorAt(1, QColor(0x4A, 0x4E, 0x4A));
  p.setPen(QPen(QColor(0x1E, 0x20, 0x1E), 1));
  p.setBrush(g);
  p.drawEllipse(centre, 3, 3);
  p.setPen(QPen(QColor(0x26, 0x28, 0x26), 1.2));
  p.drawLine(centre + QPointF(-1.9, 1), centre + QPointF(1.9, -1));
}

// A rule cut into the plate: a dark line with a light one under it.
void engravedLine(QPainter& p, int x0, int y, int x1) {
  p.setPen(QColor(0x1A, 0x1C, 0x1A));
  p.drawLine(x0, y, x1, y);
  p.setPen(QColor(0x6A, 0x70, 0x6A));
  p.drawLine(x0, y + 1, x1, y + 1);
}

void sunken(QPainter& p, const QRect& inner) {
  for (int i = 1; i <= kSunkenWidth; ++i) {
    QRect r = inner.adjusted(-i, -i, i, i);
    p.setPen(fromWindows(kSunkenDark));
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(fromWindows(kSunkenLight));
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
  }
}

}  // namespace

QImage drawStatusBackground() {
  QImage plate(kStatusWidth, kStatusHeight, QImage::Format_ARGB32_Premultiplied);
  QPainter p(&plate);
  QLinearGradient metal(0, 0, 0, kStatusHeight);
  metal.setColorAt(0, QColor(0x4C, 0x52, 0x4C));
  metal.setColorAt(0.5, QColor(0x3A, 0x3F, 0x3A));
  metal.setColorAt(1, QColor(0x2C, 0x30, 0x2C));
  p.fillRect(plate.rect(), metal);
  brush(p, plate.rect());

  // The plate's own bevel.
  p.setPen(QColor(0x7C, 0x84, 0x7C));
  p.drawLine(0, 0, kStatusWidth - 1, 0);
  p.drawLine(0, 0, 0, kStatusHeight - 1);
  p.setPen(QColor(0x16, 0x18, 0x16));
  p.drawLine(0, kStatusHeight - 1, kStatusWidth - 1, kStatusHeight - 1);
  p.drawLine(kStatusWidth - 1, 0, kStatusWidth - 1, kStatusHeight - 1);

  // The column of controls sits on a slightly raised strip.
  QRect column(304, 8, 182, kStatusHeight - 16);
  p.fillRect(column, QColor(255, 255, 255, 10));
  p.setPen(QColor(0x6A, 0x70, 0x6A));
  p.drawLine(column.topLeft(), column.topRight());
  p.drawLine(column.topLeft(), column.bottomLeft());
  p.setPen(QColor(0x1A, 0x1C, 0x1A));
  p.drawLine(column.bottomLeft(), column.bottomRight());
  p.drawLine(column.topRight(), column.bottomRight());

  sunken(p, kGaugePanelRect);
  sunken(p, kMessageLineRect);

  p.setRenderHint(QPainter::Antialiasing, true);
  QFont brand = clientFont(16, QFont::Black);
  brand.setLetterSpacing(QFont::AbsoluteSpacing, 0.6);
  p.setFont(brand);
  p.setPen(QColor(0x14, 0x16, 0x14));
  p.drawText(kBrandRect.translated(0, -1), Qt::AlignLeft | Qt::AlignVCenter, "GRIDWATCH");
  p.setPen(QColor(0xD8, 0xDC, 0xD8));
  p.drawText(kBrandRect, Qt::AlignLeft | Qt::AlignVCenter, "GRIDWATCH");
  QFont plus = brand;
  plus.setWeight(QFont::Normal);
  p.setFont(plus);
  p.setPen(QColor(0xFF, 0x94, 0x00));
  const int plus_x = QFontMetrics(brand).horizontalAdvance("GRIDWATCH ");
  p.drawText(kBrandRect.adjusted(plus_x, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, "PLUS");
  engravedLine(p, 310, 34, 480);
  engravedLine(p, 310, 82, 480);
  engravedLine(p, 310, 192, 480);

  for (QPointF c : {QPointF(5, 5), QPointF(kStatusWidth - 5, 5), QPointF(5, kStatusHeight - 5),
                    QPointF(kStatusWidth - 5, kStatusHeight - 5)}) {
    screw(p, c);
  }
  return plate;
}

QImage drawButtonPicture(ButtonPicture picture) {
  QImage image(18, 18, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing, true);
  const bool power = picture == ButtonPicture::kPower;
  // Light symbols on the grey buttons, dark ones cut into the orange power button.
  QColor ink = power ? QColor(0x4A, 0x1E, 0x00) : QColor(0xF0, 0xF2, 0xF0);
  QPen line(ink, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  p.setPen(line);
  p.setBrush(Qt::NoBrush);
  switch (picture) {
    case ButtonPicture::kPower:
      p.drawArc(QRectF(3, 3.5, 12, 12), 125 * 16, 290 * 16);
      p.drawLine(QPointF(9, 2), QPointF(9, 9));
      break;
    case ButtonPicture::kMinimize:
      p.drawLine(QPointF(4, 13), QPointF(14, 13));
      break;
    case ButtonPicture::kLog:
      p.setPen(QPen(ink, 1.4));
      p.drawRect(QRectF(3.5, 2.5, 11, 13));
      for (int i = 0; i < 4; ++i) p.drawLine(QPointF(6, 5.5 + i * 2.7), QPointF(12, 5.5 + i * 2.7));
      break;
    case ButtonPicture::kSetup: {
      p.setPen(Qt::NoPen);
      p.setBrush(ink);
      QPainterPath gear;
      gear.addEllipse(QPointF(9, 9), 5.2, 5.2);
      for (int i = 0; i < 8; ++i) {
        p.save();
        p.translate(9, 9);
        p.rotate(i * 45);
        p.drawRect(QRectF(-1.4, -8, 2.8, 4));
        p.restore();
      }
      QPainterPath hole;
      hole.addEllipse(QPointF(9, 9), 2, 2);
      p.drawPath(gear.subtracted(hole));
      break;
    }
    case ButtonPicture::kSchedule:
      p.setPen(QPen(ink, 1.6));
      p.drawEllipse(QRectF(2.5, 2.5, 13, 13));
      p.drawLine(QPointF(9, 9), QPointF(9, 5));
      p.drawLine(QPointF(9, 9), QPointF(12, 10.5));
      break;
  }
  return image;
}

}  // namespace gw
