// Sizing fonts by their cell height.
#include "client/monview/client_font.h"

#include <QFontMetricsF>

namespace gw {

QFont clientFont(int cell_pixels, int weight) {
  QFont font("Arial");
  font.setStyleHint(QFont::SansSerif);
  font.setWeight(static_cast<QFont::Weight>(weight));
  // Pixel sizes name the em; the cell is taller by the font's ascent and descent. Take the
  // largest size whose cell still fits, whatever face fontconfig chose.
  int size = cell_pixels;
  for (; size > 6; --size) {
    font.setPixelSize(size);
    QFontMetricsF metrics(font);
    if (metrics.ascent() + metrics.descent() <= cell_pixels + 0.5) break;
  }
  font.setPixelSize(size);
  return font;
}

}  // namespace gw
