// The drawing of each piece of monview's artwork. Masks are white, with the coverage in the
// alpha channel, so that a gauge can tint them with its colour; pictures are in full colour.
#pragma once

#include <QImage>

namespace gw {

enum class ButtonPicture { kPower, kMinimize, kLog, kSetup, kSchedule };

// The picture strip of gauge 0..9: frames of 32 by 32 side by side.
QImage drawGaugeStrip(int gauge);
// Thirteen 8 by 15 glyphs: 0..9, '.', ':', '/'.
QImage drawLcdStrip();
// Six 22 by 16 glyphs: V, %, H (hertz), C, F (degrees), S (seconds).
QImage drawUnitStrip();
// The status window's 494 by 250 background plate.
QImage drawStatusBackground();
QImage drawButtonPicture(ButtonPicture picture);

}  // namespace gw
