// The LCD advance rule: digits pairs get the extra gap, unknown characters take no room.
#include "client/status/lcd_text.h"

#include <gtest/gtest.h>

namespace gw {
namespace {

std::vector<std::pair<int, int>> pairs(std::string_view text) {
  std::vector<std::pair<int, int>> out;
  for (const LcdGlyph& g : layoutLcdText(text)) out.emplace_back(g.glyph, g.x);
  return out;
}

TEST(LcdText, DigitsAndSeparators) {
  using P = std::vector<std::pair<int, int>>;
  EXPECT_EQ(pairs("230"), (P{{2, 0}, {3, 12}, {0, 24}}));
  EXPECT_EQ(pairs("60.0"), (P{{6, 0}, {0, 12}, {10, 20}, {0, 28}}));
  EXPECT_EQ(pairs("12:05"), (P{{1, 0}, {2, 12}, {11, 20}, {0, 28}, {5, 40}}));
  EXPECT_EQ(pairs("01/02"), (P{{0, 0}, {1, 12}, {12, 20}, {0, 28}, {2, 40}}));
}

TEST(LcdText, OtherCharactersAreSkippedWithoutAdvancing) {
  using P = std::vector<std::pair<int, int>>;
  EXPECT_EQ(pairs("-5"), (P{{5, 0}}));
  // The skipped blank still separates the digits: no extra gap between 1 and 2.
  EXPECT_EQ(pairs("1 2"), (P{{1, 0}, {2, 8}}));
  EXPECT_TRUE(pairs("").empty());
  EXPECT_EQ(lcdGlyphIndex('A'), -1);
}

}  // namespace
}  // namespace gw
