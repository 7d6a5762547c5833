// Framing and failure rules of the channel to the driver, over scripted pipe ends.
#include "service/driverlink/pipe_channel.h"

#include <gtest/gtest.h>

#include "testing/fake_clock.h"
#include "testing/fake_pipe.h"

namespace gw {
namespace {

class PipeChannelTest : public ::testing::Test {
 protected:
  // Both ends share one script: a write queues the next answer for reading.
  std::unique_ptr<PipeChannel> makeChannel(PipeChannelLimits limits = {}) {
    return std::make_unique<PipeChannel>(clock_, std::make_unique<FakePipe>(script_, &clock_),
                                         std::make_unique<FakePipe>(script_, &clock_), limits);
  }

  FakeClock clock_;
  std::shared_ptr<FakePipe::Script> script_ = std::make_shared<FakePipe::Script>();
};

TEST_F(PipeChannelTest, ReassemblesSplitRepliesAndDropsBytesNoRequestAskedFor) {
  auto channel = makeChannel();
  script_->chunks = {"S9 1\n"};  // written before anyone asked
  script_->answers = {{"S1 2", "30\nR5 1\n"}, {"S2 7\n"}};
  std::string reply;
  ASSERT_EQ(channel->exchange("S1\n", &reply), RC_OK);
  EXPECT_EQ(reply, "S1 230") << "the stray line before the request must not be the reply";
  ASSERT_EQ(channel->exchange("S2\n", &reply), RC_OK);
  EXPECT_EQ(reply, "S2 7") << "the extra line after a reply must not answer the next request";
  EXPECT_EQ(script_->written, "S1\nS2\n");
  EXPECT_FALSE(channel->failed());
}

TEST_F(PipeChannelTest, OverlongReplyIsMalformedAndTheChannelStaysUsable) {
  auto channel = makeChannel();
  const std::string at_limit = "R12 " + std::string(4096 - 4, 'm');
  script_->answers = {
      {at_limit + "\n"}, {std::string(3000, 'x'), std::string(2000, 'y'), "yy\n"}, {"S3 1\n"}};
  std::string reply;
  ASSERT_EQ(channel->exchange("R12\n", &reply), RC_OK) << "4096 bytes are still a reply";
  EXPECT_EQ(reply, at_limit);
  reply = "untouched";
  EXPECT_EQ(channel->exchange("R13\n", &reply), RC_MALFORMED_REPLY);
  EXPECT_EQ(reply, "untouched");
  EXPECT_FALSE(channel->failed());
  ASSERT_EQ(channel->exchange("S3\n", &reply), RC_OK);
  EXPECT_EQ(reply, "S3 1") << "the tail of the long line must be skipped up to its line feed only";
}

TEST_F(PipeChannelTest, SilenceAndPipeFailuresFailTheChannelForGood) {
  {
    auto channel = makeChannel({.reply_timeout_ms = 10000, .max_reply_bytes = 4096});
    script_->answers = {{"S12 "}};  // half a reply, then nothing
    std::string reply;
    const int64_t start = clock_.nowMs();
    EXPECT_EQ(channel->exchange("S12\n", &reply), RC_PIPE_BROKEN);
    EXPECT_GE(clock_.nowMs() - start, 10000) << "gave up before the reply time-out";
    EXPECT_LE(clock_.nowMs() - start, 10100) << "waited past the reply time-out";
    EXPECT_TRUE(channel->failed());
    const int reads = script_->reads;
    script_->answers = {{"S7 1\n"}};
    EXPECT_EQ(channel->exchange("S7\n", &reply), RC_PIPE_BROKEN);
    EXPECT_EQ(script_->written, "S12\n") << "a failed channel must not talk to the driver";
    EXPECT_EQ(script_->reads, reads);
  }
  {
    script_ = std::make_shared<FakePipe::Script>();
    script_->fail_writes = true;
    auto channel = makeChannel();
    std::string reply;
    EXPECT_EQ(channel->exchange("S0\n", &reply), RC_PIPE_BROKEN) << "failed write";
    EXPECT_TRUE(channel->failed());
  }
  {
    script_ = std::make_shared<FakePipe::Script>();
    script_->answers = {{"S0", ""}};  // the driver closes its end mid-line
    auto channel = makeChannel();
    std::string reply;
    EXPECT_EQ(channel->exchange("S0\n", &reply), RC_PIPE_BROKEN) << "end of file";
    EXPECT_TRUE(channel->failed());
  }
}

}  // namespace
}  // namespace gw
