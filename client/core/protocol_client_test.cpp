// Request framing and the page replies, over a scripted channel.
#include "client/core/protocol_client.h"

#include <gtest/gtest.h>

#include <deque>

namespace gw {
namespace {

// Answers each request with the next scripted reply and keeps what was sent.
class ScriptedChannel : public RequestChannel {
 public:
  std::deque<std::string> replies;
  std::vector<std::string> sent;

  ResultCode exchange(std::string_view request, std::string* reply) override {
    sent.emplace_back(request);
    if (replies.empty()) return RC_SOCKET_ERROR;
    *reply = replies.front();
    replies.pop_front();
    return RC_OK;
  }
};

TEST(ProtocolClientTest, FramesRequestsAndRefusesLineBreaks) {
  ScriptedChannel channel;
  ProtocolClient client(channel);
  channel.replies = {"", "", "5000"};
  ASSERT_EQ(client.login("normal(read only)", ""), RC_OK);
  std::string value;
  ASSERT_EQ(client.getKey(KeyStore::kSetting, "service.polling rate", &value), RC_OK);
  EXPECT_EQ(value, "5000");
  const std::vector<std::string> expected = {"USR NAME normal(read only)\r", "USR PASS \r",
                                             "POL service.polling rate\r"};
  EXPECT_EQ(channel.sent, expected);

  channel.sent.clear();
  EXPECT_EQ(client.setKey(KeyStore::kSetting, "email.subject", "a\rTIME NOW"), RC_BAD_REQUEST);
  EXPECT_EQ(client.setKey(KeyStore::kPolicy, "start.record.happen.content", "a\nb"),
            RC_BAD_REQUEST);
  EXPECT_EQ(client.getKey(KeyStore::kSetting, "service.polling rate=1", &value), RC_BAD_REQUEST)
      << "a read must never carry '='";
  EXPECT_TRUE(channel.sent.empty()) << "nothing may be sent for a refused request";
}

TEST(ProtocolClientTest, ClassifiesKeysByShape) {
  EXPECT_EQ(classifyKey("powerfail.shutdown.happen.max count"), KeyStore::kPolicy);
  EXPECT_EQ(classifyKey("start.record.restore.content"), KeyStore::kPolicy);
  EXPECT_EQ(classifyKey("service.polling rate"), KeyStore::kSetting);
  EXPECT_EQ(classifyKey("email.source addr"), KeyStore::kSetting);
  EXPECT_EQ(classifyKey("service.a.b.c"), KeyStore::kSetting) << "no event name first";
  EXPECT_EQ(classifyKey("powerfail.shutdown.happen"), KeyStore::kSetting) << "three parts";
  EXPECT_EQ(classifyKey("Powerfail.sound.happen.delay"), KeyStore::kSetting) << "exact case";
}

TEST(ProtocolClientTest, ReadsNumbersPagesAndTheManagerProbe) {
  ScriptedChannel channel;
  ProtocolClient client(channel);
  int32_t number = 0;
  channel.replies = {"22950", "ERR 8", "12abc"};
  ASSERT_EQ(client.readNumber("STATUS_INVOLT", &number), RC_OK);
  EXPECT_EQ(number, 22950);
  EXPECT_EQ(client.readNumber("STATUS_INVOLT", &number), RC_NO_DEVICE);
  EXPECT_EQ(client.readNumber("STATUS_INVOLT", &number), RC_SOCKET_ERROR)
      << "a reply that is not a number is a broken exchange";
  EXPECT_EQ(number, 22950) << "untouched on failure";

  channel.sent.clear();
  channel.replies = {"70 2002/07/15 13:05:09 004\r\n2002/07/15 13:06:10 005\n", "0", "x 1"};
  int64_t first = -1;
  std::vector<std::string> records;
  ASSERT_EQ(client.logPageBefore(LOG_EVENT, 72, &first, &records), RC_OK);
  EXPECT_EQ(channel.sent.back(), "LOG PRV 0 72\r");
  EXPECT_EQ(first, 70);
  EXPECT_EQ(records,
            (std::vector<std::string>{"2002/07/15 13:05:09 004", "2002/07/15 13:06:10 005"}));
  ASSERT_EQ(client.logPageBefore(LOG_EVENT, 0, &first, &records), RC_OK);
  EXPECT_EQ(first, 0);
  EXPECT_TRUE(records.empty());
  EXPECT_EQ(client.logPageBefore(LOG_EVENT, 5, &first, &records), RC_SOCKET_ERROR);

  channel.sent.clear();
  channel.replies = {"", "ERR 33", "ERR 21"};
  bool manager = false;
  ASSERT_EQ(client.hasManagerLevel(&manager), RC_OK);
  EXPECT_TRUE(manager);
  ASSERT_EQ(client.hasManagerLevel(&manager), RC_OK);
  EXPECT_FALSE(manager);
  EXPECT_EQ(channel.sent[0], "LOG CLR 3\r") << "the probe must clear a log that does not exist";
  EXPECT_EQ(client.hasManagerLevel(&manager), RC_SOCKET_ERROR);
}

}  // namespace
}  // namespace gw
