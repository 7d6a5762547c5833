// Fixed pixel positions of the status window's parts, shared by the window and its background.
#pragma once

#include <QRect>

namespace gw {

inline constexpr int kStatusWidth = 494;
inline constexpr int kStatusHeight = 250;

// The gauge panel and the message line; their sunken borders lie just outside them.
inline constexpr QRect kGaugePanelRect(13, 13, 286, 196);
inline constexpr QRect kMessageLineRect(13, 223, 286, 16);

// The right-hand column.
inline constexpr QRect kBrandRect(310, 10, 150, 20);
inline constexpr QRect kMinimizeRect(462, 12, 22, 16);
inline constexpr QRect kPowerRect(310, 42, 92, 30);
inline constexpr QRect kLogButtonRect(310, 92, 32, 26);
inline constexpr QRect kSetupButtonRect(310, 126, 32, 26);
inline constexpr QRect kScheduleButtonRect(310, 160, 32, 26);
inline constexpr int kButtonCaptionX = 350;
inline constexpr QRect kModelLabelRect(310, 198, 70, 16);
inline constexpr QRect kVersionLabelRect(310, 220, 70, 16);
inline constexpr QRect kModelValueRect(382, 198, 110, 16);
inline constexpr QRect kVersionValueRect(382, 220, 110, 16);

}  // namespace gw
