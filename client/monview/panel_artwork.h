// monview's artwork, drawn once when it is built, and the tinted copies the gauges draw with.
// Build it after the QGuiApplication; it is read-only afterwards except for its tint cache, so
// use it from the GUI thread only.
#pragma once

#include <QImage>
#include <array>
#include <cstdint>
#include <map>
#include <utility>

#include "client/monview/artwork_painters.h"
#include "client/status/gauge_faces.h"

namespace gw {

class PanelArtwork {
 public:
  // The masks that can be tinted.
  enum Mask : int { kLcd = kGaugeCount, kUnits = kGaugeCount + 1 };  // 0..9: gauge strips

  PanelArtwork();
  PanelArtwork(const PanelArtwork&) = delete;
  PanelArtwork& operator=(const PanelArtwork&) = delete;

  const QImage& background() const { return background_; }
  const QImage& mask(int which) const { return masks_[which]; }
  const QImage& buttonPicture(ButtonPicture picture) const {
    return buttons_[static_cast<size_t>(picture)];
  }
  // The mask in a gauge colour (a Windows colour value); made on first use and kept.
  const QImage& tinted(int which, uint32_t windows_colour);

 private:
  QImage background_;
  std::array<QImage, kGaugeCount + 2> masks_;
  std::array<QImage, 5> buttons_;
  std::map<std::pair<int, uint32_t>, QImage> tints_;
};

}  // namespace gw
