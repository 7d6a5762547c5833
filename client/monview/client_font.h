// The client's fonts: Arial, or the sans font fontconfig offers in its place, sized by the
// height of a character cell (ascent plus descent) as the dialog templates give it.
#pragma once

#include <QFont>

namespace gw {

inline constexpr int kFontCellPixels = 14;

// A font of `weight` (100..900) whose cells are `cell_pixels` high.
QFont clientFont(int cell_pixels, int weight);

}  // namespace gw
