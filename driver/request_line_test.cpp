// Request parsing and the reply forms, byte for byte.
#include "driver/request_line.h"

#include <gtest/gtest.h>

namespace gw {
namespace {

TEST(RequestLineTest, NumbersAndArgumentsParseAsTheProtocolSays) {
  struct Case {
    const char* line;
    char letter;
    int number;
    int arg_count;
    int32_t a1, a2;
  };
  const Case cases[] = {
      {"S0", 'S', 0, 0, 0, 0},
      {"S12\r", 'S', 12, 0, 0, 0},
      {"R5 1", 'R', 5, 1, 1, 0},
      {"C1 60 120", 'C', 1, 2, 60, 120},
      {"C1 -1 -1\r", 'C', 1, 2, -1, -1},
      {"W3 +7", 'W', 3, 1, 7, 0},
      {"C4 2 1 9", 'C', 4, 2, 2, 1},
      {"R", 'R', -1, 0, 0, 0},
      {"Rx", 'R', -1, 0, 0, 0},
      {"R-", 'R', -1, 0, 0, 0},
      {"S-5", 'S', -5, 0, 0, 0},
      {"S 5", 'S', -1, 1, 5, 0},  // the number must follow the letter at once
      {"S99999999999", 'S', -1, 0, 0, 0},
      {"C0 ", 'C', 0, 0, 0, 0},
      {"C0 x", 'C', 0, 0, 0, 0},
      {"C1 5  6", 'C', 1, 1, 5, 0},  // argument 2 is after the second blank: empty
      {"C1 x 6", 'C', 1, 0, 0, 0},   // no argument 2 without argument 1
      {"W0 99999999999", 'W', 0, 1, INT32_MAX, 0},
      {"W0 -99999999999", 'W', 0, 1, INT32_MIN, 0},
      {"X1", 'X', 1, 0, 0, 0},
  };
  for (const Case& c : cases) {
    Request r = parseRequest(c.line);
    EXPECT_FALSE(r.empty) << c.line;
    EXPECT_EQ(r.letter, c.letter) << c.line;
    EXPECT_EQ(r.number, c.number) << c.line;
    EXPECT_EQ(r.arg_count, c.arg_count) << c.line;
    EXPECT_EQ(r.args[0], c.a1) << c.line;
    EXPECT_EQ(r.args[1], c.a2) << c.line;
  }
  EXPECT_TRUE(parseRequest("").empty);
  EXPECT_TRUE(parseRequest("\r").empty) << "a lone carriage return is an empty line";
}

TEST(RequestLineTest, RepliesEchoLetterAndParsedNumber) {
  EXPECT_EQ(successReply(parseRequest("S3"), " 1"), "S3 1\n");
  EXPECT_EQ(successReply(parseRequest("W3 5"), ""), "W3\n");
  EXPECT_EQ(errorReply(parseRequest("R5 0"), RC_NOT_AVAILABLE), "R5E 2\n");
  EXPECT_EQ(errorReply(parseRequest("R"), RC_UNSUPPORTED), "R-1E 1\n");
  EXPECT_EQ(errorReply(parseRequest("S007\r"), RC_NO_DEVICE), "S7E 8\n");
  EXPECT_EQ(errorReply(parseRequest(""), RC_UNSUPPORTED), "-1E 1\n");
}

}  // namespace
}  // namespace gw
