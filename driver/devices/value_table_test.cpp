// The value table's read codes.
#include "driver/devices/value_table.h"

#include <gtest/gtest.h>

namespace gw {
namespace {

TEST(ValueTableTest, ReadCodes) {
  ValueTable t;
  int32_t v = -1;
  EXPECT_EQ(t.getInt(0, &v), RC_NOT_AVAILABLE) << "empty primary";
  EXPECT_EQ(t.getSecondaryInt(0, &v), RC_UNSUPPORTED) << "missing secondary";
  t.clearSecondary(0);
  EXPECT_EQ(t.getSecondaryInt(0, &v), RC_NOT_AVAILABLE) << "empty secondary";
  t.setSecondaryInt(0, 7);
  EXPECT_EQ(t.getSecondaryInt(0, &v), RC_OK);
  EXPECT_EQ(v, 7);
  t.setInt(0, 5);
  EXPECT_EQ(t.getInt(0, &v), RC_OK);
  EXPECT_EQ(v, 5);
  EXPECT_EQ(t.getInt(37, &v), RC_UNSUPPORTED);
  EXPECT_EQ(t.getInt(-1, &v), RC_UNSUPPORTED);
  t.setInt(40, 1);  // ignored

  char buffer[8] = "xxxxxxx";
  size_t size = sizeof(buffer);
  EXPECT_EQ(t.getText(0, buffer, &size), RC_BAD_VALUE) << "an integer read as text";
  EXPECT_EQ(t.getText(12, buffer, &size), RC_NOT_AVAILABLE);
  t.setText(12, "KD-10");
  EXPECT_EQ(t.getText(12, buffer, nullptr), RC_MISSING_ARGUMENT);
  EXPECT_EQ(t.getInt(12, &v), RC_BAD_VALUE) << "a text read as integer";
  EXPECT_EQ(v, 5) << "written on failure";
  size = 0;
  EXPECT_EQ(t.getText(12, nullptr, &size), RC_BUFFER_TOO_SMALL);
  EXPECT_EQ(size, 6u);
  size = 5;
  EXPECT_EQ(t.getText(12, buffer, &size), RC_BUFFER_TOO_SMALL);
  EXPECT_EQ(size, 6u);
  EXPECT_EQ(buffer[0], 'x') << "nothing copied into a short buffer";
  size = 6;
  EXPECT_EQ(t.getText(12, buffer, &size), RC_OK);
  EXPECT_STREQ(buffer, "KD-10");
  t.clear(12);
  EXPECT_FALSE(t.has(12));
  EXPECT_EQ(t.text(12), "");
}

}  // namespace
}  // namespace gw
