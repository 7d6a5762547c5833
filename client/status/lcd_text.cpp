// The LCD glyph strip's advance rule.
#include "client/status/lcd_text.h"

namespace gw {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

int lcdGlyphIndex(char c) {
  if (isDigit(c)) return c - '0';
  switch (c) {
    case '.':
      return 10;
    case ':':
      return 11;
    case '/':
      return 12;
    default:
      return -1;
  }
}

std::vector<LcdGlyph> layoutLcdText(std::string_view text) {
  std::vector<LcdGlyph> out;
  int x = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    int glyph = lcdGlyphIndex(text[i]);
    if (glyph < 0) continue;
    out.push_back({glyph, x});
    x += kLcdGlyphWidth;
    if (isDigit(text[i]) && i + 1 < text.size() && isDigit(text[i + 1])) x += kLcdDigitGap;
  }
  return out;
}

}  // namespace gw
