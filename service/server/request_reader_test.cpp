// Word and number reading of client requests, where it differs from a naive split.
#include "service/server/request_reader.h"

#include <gtest/gtest.h>

#include <limits>

namespace gw {
namespace {

TEST(RequestReaderTest, WordsEndAtAnyWhiteSpace) {
  RequestReader r(" \tDEV\fSTATUS_CONNECT\r\nX");
  std::string_view w;
  ASSERT_TRUE(r.nextWord(&w));
  EXPECT_EQ(w, "DEV");
  ASSERT_TRUE(r.nextWord(&w));
  EXPECT_EQ(w, "STATUS_CONNECT");
  ASSERT_TRUE(r.nextWord(&w));
  EXPECT_EQ(w, "X");
  w = "kept";
  EXPECT_FALSE(r.nextWord(&w));
  EXPECT_EQ(w, "kept");
}

TEST(RequestReaderTest, NumbersReadLikeAStream) {
  struct Row {
    const char* text;
    bool ok;
    int32_t value;
    const char* rest;
  };
  const Row rows[] = {
      {"42", true, 42, ""},
      {"  -7 x", true, -7, " x"},
      {"+5", true, 5, ""},
      {"12abc", true, 12, "abc"},
      {"2147483647", true, std::numeric_limits<int32_t>::max(), ""},
      {"-2147483648", true, std::numeric_limits<int32_t>::min(), ""},
      {"2147483648", false, 0, ""},
      {"-", false, 0, ""},
      {"x1", false, 0, ""},
      {"", false, 0, ""},
      {"99999999999999999999999", false, 0, ""},
  };
  for (const Row& row : rows) {
    RequestReader r(row.text);
    int32_t v = 1234;
    EXPECT_EQ(r.nextInt(&v), row.ok) << row.text;
    EXPECT_EQ(v, row.ok ? row.value : 1234) << row.text;
    if (row.ok) {
      EXPECT_EQ(r.rest(), row.rest) << row.text;
    }
  }
  RequestReader longs("-9223372036854775808 9223372036854775808");
  int64_t l = 0;
  EXPECT_TRUE(longs.nextLong(&l));
  EXPECT_EQ(l, std::numeric_limits<int64_t>::min());
  EXPECT_FALSE(longs.nextLong(&l));
}

}  // namespace
}  // namespace gw
