// The client dialogs' fixed-pixel layout: dialog units to pixels, and the dialog font weights.
#pragma once

#include "client/status/docking_chain.h"

namespace gw {

// 4 horizontal dialog units are 6 pixels, 8 vertical units 14 pixels.
inline constexpr int dialogUnitsToPixelsX(int units) { return units * 6 / 4; }
inline constexpr int dialogUnitsToPixelsY(int units) { return units * 14 / 8; }

// Position and size of a control given in dialog units. Picture controls keep their size.
inline constexpr DockRect dialogRectToPixels(const DockRect& units, bool picture = false) {
  return {dialogUnitsToPixelsX(units.x), dialogUnitsToPixelsY(units.y),
          picture ? units.width : dialogUnitsToPixelsX(units.width),
          picture ? units.height : dialogUnitsToPixelsY(units.height)};
}

inline constexpr int kDialogFontPixels = 14;
inline constexpr int kStatusDialogWeight = 700;
inline constexpr int kOtherDialogWeight = 400;

// The weight a dialog's font takes: a font already of weight 900 is left alone.
inline constexpr int dialogFontWeight(bool status_window, int current_weight) {
  if (current_weight >= 900) return current_weight;
  return status_window ? kStatusDialogWeight : kOtherDialogWeight;
}

}  // namespace gw
