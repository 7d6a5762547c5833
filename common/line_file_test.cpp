// Line splitting and entries: LF or CR LF line ends, first '=', nothing else trimmed.
#include "common/line_file.h"

#include <gtest/gtest.h>

namespace gw {
namespace {

TEST(LineFileTest, SplitsOnLineFeedWithAnOptionalCarriageReturnBeforeIt) {
  EXPECT_EQ(splitLines("a\r\nb\n\nc"), (std::vector<std::string>{"a", "b", "", "c"}));
  EXPECT_EQ(splitLines("a\rb\r\n\r\nc\r"), (std::vector<std::string>{"a\rb", "", "c"}))
      << "a carriage return inside a line stays; one ending the text is a line end";
  EXPECT_EQ(splitLines("x\r\r\n"), (std::vector<std::string>{"x\r"})) << "only one belongs to it";
  EXPECT_TRUE(splitLines("").empty());
  EXPECT_EQ(splitLines("x\n"), (std::vector<std::string>{"x"}));
  EXPECT_EQ(joinLines({"a", "b"}), "a\nb\n");
}

TEST(LineFileTest, KeyIsEverythingBeforeTheFirstEquals) {
  std::string_view k, v;
  ASSERT_TRUE(splitKeyValue("service.polling rate=3000", &k, &v));
  EXPECT_EQ(k, "service.polling rate");
  EXPECT_EQ(v, "3000");
  ASSERT_TRUE(splitKeyValue("a =b=c", &k, &v));
  EXPECT_EQ(k, "a ");
  EXPECT_EQ(v, "b=c");
  ASSERT_TRUE(splitKeyValue("email.subject=", &k, &v));
  EXPECT_EQ(v, "");
  EXPECT_FALSE(splitKeyValue("abc", &k, &v));
}

TEST(LineFileTest, WholeIntegersOnly) {
  long long v = 7;
  EXPECT_TRUE(parseWholeInt("-1", &v));
  EXPECT_EQ(v, -1);
  EXPECT_TRUE(parseWholeInt("4294967295", &v));
  EXPECT_EQ(v, 4294967295LL);
  for (const char* bad : {"9000xyz", "", " 5", "5 ", "-", "abc", "99999999999999999999"}) {
    EXPECT_FALSE(parseWholeInt(bad, &v)) << bad;
  }
  EXPECT_EQ(parseLeadingInt("12abc"), 12);
  EXPECT_EQ(parseLeadingInt("-3"), -3);
  EXPECT_EQ(parseLeadingInt("x"), 0);
  EXPECT_EQ(parseLeadingInt(""), 0);
}

}  // namespace
}  // namespace gw
