// What each of the ten gauges shows for a display record: caption, LCD lines, unit glyph,
// picture frame and colour, and where each part sits on the panel.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "client/status/display_record.h"

namespace gw {

inline constexpr int kGaugeCount = 10;

// Gauge colours as Windows colour values (blue, green, red from the high byte down).
inline constexpr uint32_t kGaugeGreen = 0x00FF00;
inline constexpr uint32_t kGaugeOrange = 0x0080FF;
inline constexpr uint32_t kGaugeRed = 0x0000FF;
inline constexpr uint32_t kGaugeGrey = 0xC0C0C0;

// Unit glyphs in the order of their strip; kUnitNone draws nothing.
enum GaugeUnit : int {
  kUnitVolt = 0,
  kUnitPercent = 1,
  kUnitHertz = 2,
  kUnitCelsius = 3,
  kUnitFahrenheit = 4,
  kUnitSecond = 5,
  kUnitNone = -1,
};

struct GaugeFace {
  const char* caption = "";
  std::string line1;  // LCD text
  std::string line2;  // second LCD line, 17 pixels lower; empty for most gauges
  int unit = kUnitNone;
  int level = 0;      // frame of the gauge's picture strip
  uint32_t colour = kGaugeGreen;
};

struct GaugePoint {
  int x;
  int y;
};

// Fixed places on the panel; unit.x < 0 for gauges without a unit.
struct GaugeLayout {
  GaugePoint picture;
  GaugePoint caption;
  GaugePoint text;
  GaugePoint unit;
  int frames;  // frames in the picture strip
};

inline constexpr int kPictureSize = 32;
inline constexpr int kSecondLineOffset = 17;

inline constexpr std::array<GaugeLayout, kGaugeCount> kGaugeLayouts = {{
    {{17, 9}, {59, 6}, {69, 21}, {105, 21}, 2},
    {{144, 9}, {194, 6}, {202, 21}, {238, 21}, 2},
    {{17, 43}, {59, 43}, {69, 57}, {105, 56}, 5},
    {{144, 43}, {194, 43}, {202, 57}, {238, 56}, 1},
    {{17, 82}, {59, 79}, {69, 93}, {107, 93}, 1},
    {{144, 82}, {194, 79}, {202, 93}, {238, 93}, 2},
    {{17, 125}, {59, 113}, {69, 126}, {-1, -1}, 2},
    {{144, 125}, {194, 113}, {202, 126}, {-1, -1}, 2},
    {{17, 161}, {59, 161}, {69, 174}, {-1, -1}, 12},
    {{144, 161}, {170, 161}, {202, 175}, {-1, -1}, 8},
}};

// The temperature unit's rectangle: a press inside it switches Celsius and Fahrenheit.
inline constexpr int kUnitSwitchLeft = 238, kUnitSwitchTop = 93;
inline constexpr int kUnitSwitchRight = 260, kUnitSwitchBottom = 109;

std::array<GaugeFace, kGaugeCount> gaugeFaces(const DisplayRecord& record);

}  // namespace gw
