// The gauges' picture strips: one 32 by 32 symbol per level, drawn as white masks. Parts that a
// level leaves unlit are drawn faint, as the unlit segments of a real front panel show.
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

#include "client/monview/artwork_painters.h"
#include "client/status/gauge_faces.h"

namespace gw {
namespace {

constexpr int kFaint = 56;  // alpha of the unlit parts

QColor lit(int alpha = 255) { return QColor(255, 255, 255, alpha); }

QPen pen(qreal width, int alpha = 255) {
  return QPen(lit(alpha), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A mains plug: body, two pins and the cable; `failed` crosses it out.
void plug(QPainter& p, bool failed) {
  p.setPen(Qt::NoPen);
  p.setBrush(lit());
  p.drawRoundedRect(QRectF(9, 9, 14, 12), 3, 3);
  p.drawRect(QRectF(11.5, 3, 2.5, 7));
  p.drawRect(QRectF(18, 3, 2.5, 7));
  p.setPen(pen(2.5));
  p.setBrush(Qt::NoBrush);
  QPainterPath cable(QPointF(16, 21));
  cable.cubicTo(QPointF(16, 27), QPointF(9, 25), QPointF(6, 30));
  p.drawPath(cable);
  if (failed) {
    p.setPen(pen(3));
    p.drawLine(QPointF(4, 28), QPointF(28, 4));
  }
}

// A wall socket: a ring with two holes and the earth clip.
void socket(QPainter& p, bool off) {
  p.setPen(pen(2.5, off ? kFaint : 255));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QRectF(4, 4, 24, 24));
  p.setPen(Qt::NoPen);
  p.setBrush(lit(off ? kFaint : 255));
  p.drawEllipse(QRectF(9, 14, 4.5, 4.5));
  p.drawEllipse(QRectF(18.5, 14, 4.5, 4.5));
  p.drawRect(QRectF(14.5, 5.5, 3, 3.5));
  p.drawRect(QRectF(14.5, 23, 3, 3.5));
}

// A battery on its side with `bars` of four cells lit.
void battery(QPainter& p, int bars) {
  p.setPen(pen(2));
  p.setBrush(Qt::NoBrush);
  p.drawRoundedRect(QRectF(3, 9, 23, 14), 2, 2);
  p.setPen(Qt::NoPen);
  p.setBrush(lit());
  p.drawRect(QRectF(26, 13, 3, 6));
  for (int i = 0; i < 4; ++i) {
    p.setBrush(lit(i < bars ? 255 : kFaint));
    p.drawRect(QRectF(6 + i * 5, 12, 3.5, 8));
  }
}

// A meter dial with its scale and needle.
void loadDial(QPainter& p) {
  p.setPen(pen(2));
  p.setBrush(Qt::NoBrush);
  p.drawArc(QRectF(3, 6, 26, 26), 20 * 16, 140 * 16);
  for (int i = 0; i <= 6; ++i) {
    qreal a = qDegreesToRadians(160.0 - i * 140.0 / 6);
    QPointF c(16, 19);
    p.setPen(pen(i % 3 == 0 ? 2 : 1.5));
    p.drawLine(c + QPointF(qCos(a), -qSin(a)) * 13, c + QPointF(qCos(a), -qSin(a)) * 10);
  }
  p.setPen(pen(2.5));
  p.drawLine(QPointF(16, 19), QPointF(22, 9));
  p.setPen(Qt::NoPen);
  p.setBrush(lit());
  p.drawEllipse(QPointF(16, 19), 2.5, 2.5);
  p.drawRect(QRectF(5, 25, 22, 2));
}

// Two periods of a sine wave over a base line.
void sineWave(QPainter& p) {
  p.setPen(pen(1, kFaint * 2));
  p.drawLine(QPointF(3, 16), QPointF(29, 16));
  QPainterPath wave;
  for (int x = 0; x <= 26; ++x) {
    QPointF pt(3 + x, 16 - 9 * qSin(x * 2 * M_PI / 13));
    x == 0 ? wave.moveTo(pt) : wave.lineTo(pt);
  }
  p.setPen(pen(2.5));
  p.setBrush(Qt::NoBrush);
  p.drawPath(wave);
}

// A thermometer, half filled, or full with heat rising from it.
void thermometer(QPainter& p, bool hot) {
  p.setPen(pen(2));
  p.setBrush(Qt::NoBrush);
  QPainterPath tube;
  tube.addRoundedRect(QRectF(12, 3, 8, 19), 4, 4);
  p.drawPath(tube);
  p.setPen(Qt::NoPen);
  p.setBrush(lit());
  p.drawEllipse(QPointF(16, 25), 5, 5);
  p.drawRect(QRectF(14.5, hot ? 6 : 13, 3, hot ? 16 : 9));
  for (int i = 0; i < 3; ++i) p.drawRect(QRectF(21, 7 + i * 4, 3, 1.5));
  if (hot) {
    p.setPen(pen(1.5));
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 2; ++i) {
      QPainterPath heat(QPointF(4 + i * 4, 20));
      heat.cubicTo(QPointF(1 + i * 4, 16), QPointF(7 + i * 4, 13), QPointF(4 + i * 4, 8));
      p.drawPath(heat);
    }
  }
}

// A clock face at 10:10 with an arrow beside it: up for turning on, down for turning off.
void scheduleClock(QPainter& p, bool turn_on, bool marked) {
  p.setPen(pen(2));
  p.setBrush(marked ? QBrush(lit(kFaint)) : QBrush(Qt::NoBrush));
  p.drawEllipse(QRectF(2, 6, 20, 20));
  p.setPen(pen(2));
  p.drawLine(QPointF(12, 16), QPointF(12, 9.5));
  p.drawLine(QPointF(12, 16), QPointF(17, 18));
  p.setPen(Qt::NoPen);
  p.setBrush(lit());
  QPolygonF arrow;
  if (turn_on) {
    arrow << QPointF(27, 4) << QPointF(31, 11) << QPointF(28.5, 11) << QPointF(28.5, 19)
          << QPointF(25.5, 19) << QPointF(25.5, 11) << QPointF(23, 11);
  } else {
    arrow << QPointF(27, 28) << QPointF(31, 21) << QPointF(28.5, 21) << QPointF(28.5, 13)
          << QPointF(25.5, 13) << QPointF(25.5, 21) << QPointF(23, 21);
  }
  p.drawPolygon(arrow);
}

// A stopwatch whose dial keeps `twelfths` of its face lit: the time still left.
void stopwatch(QPainter& p, int twelfths) {
  QRectF face(4, 6, 24, 24);
  p.setPen(Qt::NoPen);
  p.setBrush(lit(kFaint));
  p.drawEllipse(face.adjusted(3, 3, -3, -3));
  if (twelfths > 0) {
    p.setBrush(lit());
    p.drawPie(face.adjusted(3, 3, -3, -3), 90 * 16, twelfths * 30 * 16);
  }
  p.setPen(pen(2));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(face);
  p.setPen(Qt::NoPen);
  p.setBrush(lit());
  p.drawRect(QRectF(13, 1, 6, 2.5));
  p.drawRect(QRectF(15, 3, 2, 3));
  p.save();
  p.translate(16, 18);
  p.rotate(45);
  p.drawRect(QRectF(-1.2, -15.5, 2.4, 3.5));
  p.restore();
}

// An hourglass over an eight-step bar: the back-up time left. The top of the frame stays
// clear, where the neighbouring captions run.
void backupMeter(QPainter& p, int level) {
  p.setPen(pen(1.5));
  p.setBrush(Qt::NoBrush);
  QPolygonF glass;
  glass << QPointF(11.5, 2) << QPointF(20.5, 2) << QPointF(17, 11.5) << QPointF(20.5, 21)
        << QPointF(11.5, 21) << QPointF(15, 11.5);
  p.drawPolygon(glass);
  p.setPen(Qt::NoPen);
  p.setBrush(lit());
  qreal sand = 1.5 + level * 0.9;  // the lower heap grows as more time is left
  QPolygonF heap;
  heap << QPointF(16 - sand * 0.7, 20.5) << QPointF(16, 20.5 - sand) << QPointF(16 + sand * 0.7, 20.5);
  p.drawPolygon(heap);
  for (int i = 0; i < 8; ++i) {
    p.setBrush(lit(i <= level ? 255 : kFaint));
    p.drawRect(QRectF(i * 4, 30 - i * 0.6 - 2, 3, 2 + i * 0.6));
  }
}

void drawFrame(QPainter& p, int gauge, int frame) {
  switch (gauge) {
    case 0:
      return plug(p, frame == 1);
    case 1:
      return socket(p, frame == 1);
    case 2:
      return battery(p, frame);
    case 3:
      return loadDial(p);
    case 4:
      return sineWave(p);
    case 5:
      return thermometer(p, frame == 1);
    case 6:
      return scheduleClock(p, true, frame == 1);
    case 7:
      return scheduleClock(p, false, frame == 1);
    case 8:
      return stopwatch(p, frame);
    case 9:
      return backupMeter(p, frame);
    default:
      return;
  }
}

}  // namespace

QImage drawGaugeStrip(int gauge) {
  const int frames = (gauge >= 0 && gauge < kGaugeCount) ? kGaugeLayouts[gauge].frames : 1;
  QImage strip(frames * kPictureSize, kPictureSize, QImage::Format_ARGB32_Premultiplied);
  strip.fill(Qt::transparent);
  QPainter p(&strip);
  p.setRenderHint(QPainter::Antialiasing, true);
  for (int frame = 0; frame < frames; ++frame) {
    p.save();
    p.translate(frame * kPictureSize, 0);
    p.setClipRect(0, 0, kPictureSize, kPictureSize);
    drawFrame(p, gauge, frame);
    p.restore();
  }
  return strip;
}

}  // namespace gw
