// The seven-segment LCD glyphs and the unit glyphs, set pixel by pixel so that they stay sharp.
#include <QFont>
#include <QPainter>

#include "client/monview/artwork_painters.h"
#include "client/monview/client_font.h"
#include "client/status/gauge_faces.h"
#include "client/status/lcd_text.h"

namespace gw {
namespace {

// Segment bits: a top, b upper right, c lower right, d bottom, e lower left, f upper left,
// g middle.
enum Segment : unsigned { kA = 1, kB = 2, kC = 4, kD = 8, kE = 16, kF = 32, kG = 64 };

constexpr unsigned kDigitSegments[10] = {
    kA | kB | kC | kD | kE | kF,      kB | kC,
    kA | kB | kG | kE | kD,           kA | kB | kG | kC | kD,
    kF | kG | kB | kC,                kA | kF | kG | kC | kD,
    kA | kF | kG | kE | kD | kC,      kA | kB | kC,
    kA | kB | kC | kD | kE | kF | kG, kA | kB | kC | kD | kF | kG,
};

// A run of pixels on one row or one column of a glyph.
struct Run {
  int x0, y0, x1, y1;  // inclusive; either x0 == x1 or y0 == y1
};

// Each segment is a bevelled bar two pixels thick (the middle one three, pointed at both
// ends), leaving a one-pixel gap at every joint as real LCD segments do.
void segmentRuns(unsigned segment, std::vector<Run>* runs) {
  switch (segment) {
    case kA:
      runs->insert(runs->end(), {{1, 0, 6, 0}, {2, 1, 5, 1}});
      break;
    case kD:
      runs->insert(runs->end(), {{1, 14, 6, 14}, {2, 13, 5, 13}});
      break;
    case kG:
      runs->insert(runs->end(), {{2, 6, 5, 6}, {1, 7, 6, 7}, {2, 8, 5, 8}});
      break;
    case kF:
      runs->insert(runs->end(), {{0, 1, 0, 6}, {1, 2, 1, 5}});
      break;
    case kB:
      runs->insert(runs->end(), {{7, 1, 7, 6}, {6, 2, 6, 5}});
      break;
    case kE:
      runs->insert(runs->end(), {{0, 8, 0, 13}, {1, 9, 1, 12}});
      break;
    case kC:
      runs->insert(runs->end(), {{7, 8, 7, 13}, {6, 9, 6, 12}});
      break;
    default:
      break;
  }
}

void plot(QImage* image, int x0, int y0, const std::vector<Run>& runs) {
  const QRgb on = qRgba(255, 255, 255, 255);
  for (const Run& r : runs) {
    for (int y = r.y0; y <= r.y1; ++y) {
      for (int x = r.x0; x <= r.x1; ++x) image->setPixel(x0 + x, y0 + y, on);
    }
  }
}

}  // namespace

QImage drawLcdStrip() {
  QImage strip(kLcdGlyphWidth * kLcdGlyphCount, kLcdGlyphHeight, QImage::Format_ARGB32_Premultiplied);
  strip.fill(Qt::transparent);
  for (int digit = 0; digit < 10; ++digit) {
    std::vector<Run> runs;
    for (unsigned s = kA; s <= kG; s <<= 1) {
      if (kDigitSegments[digit] & s) segmentRuns(s, &runs);
    }
    plot(&strip, digit * kLcdGlyphWidth, 0, runs);
  }
  plot(&strip, 10 * kLcdGlyphWidth, 0, {{3, 13, 4, 13}, {3, 14, 4, 14}});                // '.'
  plot(&strip, 11 * kLcdGlyphWidth, 0, {{3, 3, 4, 3}, {3, 4, 4, 4}, {3, 10, 4, 10},
                                        {3, 11, 4, 11}});                                  // ':'
  std::vector<Run> slash;
  for (int y = 1; y <= 13; ++y) {
    int x = 6 - (y - 1) * 5 / 12;
    slash.push_back({x, y, x + 1, y});
  }
  plot(&strip, 12 * kLcdGlyphWidth, 0, slash);  // '/'
  return strip;
}

QImage drawUnitStrip() {
  QImage strip(kUnitGlyphWidth * kUnitGlyphCount, kUnitGlyphHeight,
               QImage::Format_ARGB32_Premultiplied);
  strip.fill(Qt::transparent);
  QPainter p(&strip);
  p.setPen(Qt::white);
  // Whole pixels only, like the LCD digits beside them.
  QFont font = clientFont(13, QFont::Bold);
  font.setStyleStrategy(QFont::NoAntialias);
  p.setFont(font);
  // Hertz, degrees and seconds spell their symbol out; the strip keeps the single-letter order.
  const char* const labels[kUnitGlyphCount] = {"V", "%", "Hz", "\u00B0C", "\u00B0F", "sec"};
  for (int i = 0; i < kUnitGlyphCount; ++i) {
    QRect cell(i * kUnitGlyphWidth, 0, kUnitGlyphWidth, kUnitGlyphHeight);
    p.drawText(cell.adjusted(1, 0, 0, 0), Qt::AlignLeft | Qt::AlignBottom,
               QString::fromUtf8(labels[i]));
  }
  return strip;
}

}  // namespace gw
