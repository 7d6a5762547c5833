// The tray's four pictures, drawn with QPainter: a battery on a coloured badge. The colour
// tells the state at a glance (green normal, amber on battery, red battery low, grey no
// contact); the battery's fill repeats it for those who cannot tell the colours apart.
#pragma once

#include <QIcon>
#include <QImage>

namespace gw {

// The sizes drawn into each icon, so that no tray host has to scale a picture down.
inline constexpr int kTrayIconSizes[] = {16, 22, 24, 32, 48, 64};

// One picture of icon `icon_id` (120, 116, 117 or 118) at size x size pixels, on a
// transparent background. Any other id gives the normal picture.
QImage paintTrayPicture(int icon_id, int size);

// The icon with every size of kTrayIconSizes.
QIcon trayIcon(int icon_id);

}  // namespace gw
