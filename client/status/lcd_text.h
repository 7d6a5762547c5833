// Where the LCD glyphs of a text go: which glyph of the strip and at what horizontal offset.
#pragma once

#include <string_view>
#include <vector>

namespace gw {

inline constexpr int kLcdGlyphWidth = 8;
inline constexpr int kLcdGlyphHeight = 15;
inline constexpr int kLcdDigitGap = 4;  // extra advance between two digits
inline constexpr int kLcdGlyphCount = 13;  // '0'..'9', '.', ':', '/'
inline constexpr int kUnitGlyphWidth = 22;
inline constexpr int kUnitGlyphHeight = 16;
inline constexpr int kUnitGlyphCount = 6;  // V, %, H, C, F, S

struct LcdGlyph {
  int glyph;  // index in the strip
  int x;      // offset from the text's start
};

// The glyph index of a character, or -1 for one the strip does not have.
int lcdGlyphIndex(char c);

// Characters the strip lacks are skipped without advancing. After each glyph the pen moves
// kLcdGlyphWidth, and kLcdDigitGap more when this character and the next are both digits.
std::vector<LcdGlyph> layoutLcdText(std::string_view text);

}  // namespace gw
