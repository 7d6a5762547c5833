// Drawing the artwork once and tinting its masks.
#include "client/monview/panel_artwork.h"

#include <QPainter>

#include "client/status/panel_colours.h"

namespace gw {

PanelArtwork::PanelArtwork() : background_(drawStatusBackground()) {
  for (int g = 0; g < kGaugeCount; ++g) masks_[g] = drawGaugeStrip(g);
  masks_[kLcd] = drawLcdStrip();
  masks_[kUnits] = drawUnitStrip();
  for (int b = 0; b < 5; ++b) buttons_[b] = drawButtonPicture(static_cast<ButtonPicture>(b));
}

const QImage& PanelArtwork::tinted(int which, uint32_t windows_colour) {
  auto key = std::make_pair(which, windows_colour);
  auto it = tints_.find(key);
  if (it != tints_.end()) return it->second;
  // The colour takes the mask's coverage: the same as ANDing a monochrome bitmap with a brush.
  QImage out = masks_[which];
  QPainter p(&out);
  p.setCompositionMode(QPainter::CompositionMode_SourceIn);
  p.fillRect(out.rect(), QColor(redOf(windows_colour), greenOf(windows_colour),
                                blueOf(windows_colour)));
  p.end();
  return tints_.emplace(key, std::move(out)).first->second;
}

}  // namespace gw
