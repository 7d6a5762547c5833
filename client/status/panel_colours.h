// Colours of the client's own drawing, as Windows colour values (0x00BBGGRR), and their
// conversion to red, green and blue.
#pragma once

#include <cstdint>

namespace gw {

struct ButtonColours {
  uint32_t face;
  uint32_t light;  // top and left bevel, bottom and right while pressed
  uint32_t dark;
};

inline constexpr ButtonColours kOrdinaryButton{0x636B63, 0xCECECE, 0x424242};
inline constexpr ButtonColours kPowerButton{0x0094FF, 0x00CEFF, 0x0063CE};
inline constexpr ButtonColours kSelfTestButton{0x0000FF, 0x5251FF, 0x0000CE};

// The sunken border round the gauge panel, three pixels wide.
inline constexpr uint32_t kSunkenDark = 0x424242;   // top and left
inline constexpr uint32_t kSunkenLight = 0xCECECE;  // bottom and right
inline constexpr int kSunkenWidth = 3;

inline constexpr int redOf(uint32_t windows_colour) { return windows_colour & 0xFF; }
inline constexpr int greenOf(uint32_t windows_colour) { return (windows_colour >> 8) & 0xFF; }
inline constexpr int blueOf(uint32_t windows_colour) { return (windows_colour >> 16) & 0xFF; }
// 0xRRGGBB, the order most toolkits take.
inline constexpr uint32_t rgbOf(uint32_t windows_colour) {
  return (static_cast<uint32_t>(redOf(windows_colour)) << 16) |
         (static_cast<uint32_t>(greenOf(windows_colour)) << 8) |
         static_cast<uint32_t>(blueOf(windows_colour));
}

}  // namespace gw
