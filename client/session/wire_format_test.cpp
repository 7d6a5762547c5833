// The exchange format: request letters, reply letters, "ERR" replies and the letters that
// read nothing.
#include "client/session/wire_format.h"

#include <gtest/gtest.h>

#include "common/time_text.h"

namespace gw {
namespace {

std::string request(std::string_view format, std::initializer_list<RequestArg> args) {
  std::string out;
  EXPECT_EQ(buildWireRequest(splitWireFormat(format).request, std::span(args.begin(), args.size()),
                             &out),
            RC_OK)
      << format;
  return out;
}

ResultCode reply(std::string_view text, std::string_view format,
                 std::initializer_list<ReplyArg> outs) {
  return readWireReply(text, splitWireFormat(format).reply, std::span(outs.begin(), outs.size()));
}

TEST(WireFormat, RequestLetters) {
  EXPECT_EQ(request("LOG NXT %d %l\r%l%u", {2, 1234567890123LL}), "LOG NXT 2 1234567890123\r");
  EXPECT_EQ(request("PTC %s=%s\r", {std::string_view("a.b c"), std::string_view("x=y")}),
            "PTC a.b c=x=y\r");
  EXPECT_EQ(request("DEV STATUS_CONNECT\r%d", {}), "DEV STATUS_CONNECT\r");
  EXPECT_EQ(request("100%% %x%\r", {}), "100% x%\r") << "a '%' before a non-letter is dropped";
  std::vector<std::string> lines = {"1 1 a", "", "3 2 b"};
  EXPECT_EQ(request("SCH SET %u\r", {&lines}), "SCH SET 1 1 a\n\n3 2 b\n\r");
  std::vector<WireRecord> records = {{{"k", "v"}, {"k2", "v2"}}, {{"x", ""}}};
  EXPECT_EQ(request("USR SET %m\r", {&records}), "USR SET k=v\nk2=v2\n\nx=\n\n\r");
  int64_t t = 0;
  ASSERT_TRUE(fromLocalTime({2002, 11, 5, 0, 17, 4, 9}, &t));
  EXPECT_EQ(request("AT %t\r", {WireTime{t}}), "AT 2002/11/05 2 17:04:09\r");

  std::string out = "untouched";
  std::initializer_list<RequestArg> wrong = {std::string_view("text")};
  EXPECT_EQ(buildWireRequest("X %d", std::span(wrong.begin(), wrong.size()), &out), RC_BAD_VALUE);
  EXPECT_EQ(buildWireRequest("X %d", {}, &out), RC_BAD_VALUE);
  EXPECT_EQ(out, "untouched");
}

TEST(WireFormat, ErrorReplies) {
  int value = 5;
  EXPECT_EQ(reply("ERR 0", "X\r%d", {&value}), RC_ERR_WITHOUT_NUMBER);
  EXPECT_EQ(reply("ERR x", "X\r%d", {&value}), RC_ERR_WITHOUT_NUMBER);
  EXPECT_EQ(reply("ERR ", "X\r%d", {&value}), RC_ERR_WITHOUT_NUMBER);
  EXPECT_EQ(reply("ERR 7", "X\r%d", {&value}), 7);
  EXPECT_EQ(reply("ERR 33 more", "X\r", {}), 33);
  EXPECT_EQ(value, 5);
  EXPECT_EQ(reply("", "X\r", {}), RC_OK) << "a lone carriage return";
  EXPECT_EQ(reply("ERROR", "X\r", {}), RC_OK) << "only \"ERR \" with its blank is an error";
}

TEST(WireFormat, NumbersAndTheStrayLetter) {
  int value = 0;
  EXPECT_EQ(reply("-230", "DEV PROP_BATOUT DEFAULT\r%dT", {&value}), RC_OK);
  EXPECT_EQ(value, -230);
  EXPECT_EQ(reply("abc", "X\r%d", {&value}), RC_BAD_REPLY) << "no number is not a success";
  EXPECT_EQ(reply("99999999999", "X\r%d", {&value}), RC_BAD_REPLY);
  std::string text;
  EXPECT_EQ(reply("UPS over load.", "X\r%s", {&text}), RC_OK);
  EXPECT_EQ(text, "UPS over load.");
  EXPECT_EQ(reply("", "X\r%s", {&text}), RC_OK);
  EXPECT_EQ(text, "");
  std::vector<int> values;
  EXPECT_EQ(reply("253,258,264,", "X\r%v", {&values}), RC_OK);
  EXPECT_EQ(values, (std::vector<int>{253, 258, 264}));
  EXPECT_EQ(reply("1 2 x 3", "X\r%v", {&values}), RC_OK);
  EXPECT_EQ(values, (std::vector<int>{1, 2})) << "until a number fails";
}

TEST(WireFormat, CursorThenLines) {
  long long cursor = 0;
  std::vector<std::string> lines = {"old"};
  EXPECT_EQ(reply("170 2002/11/05 17:04:09 4\n\nsecond 5\n", "LOG NXT %d %l\r%l%u",
                  {&cursor, &lines}),
            RC_OK);
  EXPECT_EQ(cursor, 170);
  EXPECT_EQ(lines, (std::vector<std::string>{"2002/11/05 17:04:09 4", "", "second 5"}))
      << "empty lines included";
  EXPECT_EQ(reply("120", "LOG NXT %d %l\r%l%u", {&cursor, &lines}), RC_OK);
  EXPECT_EQ(cursor, 120);
  EXPECT_TRUE(lines.empty());
}

TEST(WireFormat, TimesAndRecords) {
  int64_t t = 0, expected = 0;
  ASSERT_TRUE(fromLocalTime({2003, 1, 31, 0, 23, 59, 58}, &expected));
  EXPECT_EQ(reply("2003/01/31 6 23:59:58", "TIME NOW\r%t", {WireTimeOut{&t}}), RC_OK);
  EXPECT_EQ(t, expected) << "the weekday is read and ignored";
  EXPECT_EQ(reply("2003/01/31 23:59:58", "TIME NOW\r%t", {WireTimeOut{&t}}), RC_BAD_REPLY);

  std::vector<WireRecord> records;
  EXPECT_EQ(reply("a=1\nb=x=y\n\nc=\n", "USR GET\r%m", {&records}), RC_OK);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0], (WireRecord{{"a", "1"}, {"b", "x=y"}}));
  EXPECT_EQ(records[1], (WireRecord{{"c", ""}}));
}

TEST(WireFormat, OutputOfTheWrongTypeIsRefused) {
  std::string text;
  EXPECT_EQ(reply("5", "X\r%d", {&text}), RC_BAD_VALUE);
  EXPECT_EQ(reply("5", "X\r%d", {}), RC_BAD_VALUE);
}

}  // namespace
}  // namespace gw
