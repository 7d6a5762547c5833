// Reply texts: every code the wire carries reads back as itself, and the odd replies.
#include "protocol/wire_reply.h"

#include <gtest/gtest.h>

namespace gw {
namespace {

TEST(WireReplyTest, EveryFailureCodeReadsBackAsItself) {
  for (ResultCode code : {RC_UNSUPPORTED, RC_NO_DEVICE, RC_PIPE_BROKEN, RC_DEVICE_CHANGED,
                          RC_INCOMPLETE, RC_BAD_SETTING, RC_BAD_REQUEST, RC_REFUSED,
                          RC_ACCESS_DENIED}) {
    std::string reply = errorReply(code);
    std::string text = "untouched";
    EXPECT_EQ(decodeReply(reply, &text), code) << reply;
    EXPECT_EQ(text, "untouched") << reply;
  }
  EXPECT_EQ(errorReply(RC_ACCESS_DENIED), "ERR 33");
}

TEST(WireReplyTest, DecodesOddReplies) {
  struct Row {
    const char* reply;
    ResultCode code;
  };
  const Row rows[] = {
      {"ERR 7x", RC_SHORT_REPLY},  // the leading digits count
      {"ERR 0", RC_ERR_WITHOUT_NUMBER},
      {"ERR x", RC_ERR_WITHOUT_NUMBER},
      {"ERR ", RC_ERR_WITHOUT_NUMBER},
      {"ERR -3", RC_ERR_WITHOUT_NUMBER},  // not a code of ours
      {"ERR", RC_OK},                     // without the blank it is a text
      {"", RC_OK},
      {"3000", RC_OK},
  };
  for (const Row& row : rows) {
    std::string text = "untouched";
    EXPECT_EQ(decodeReply(row.reply, &text), row.code) << row.reply;
    EXPECT_EQ(text, row.code == RC_OK ? row.reply : "untouched") << row.reply;
  }
}

}  // namespace
}  // namespace gw
