// The request lines the proxy sends and how it reads the driver's replies.
#include "service/driverlink/device_proxy.h"

#include <gtest/gtest.h>

#include <map>

#include "testing/fake_driver_channel.h"

namespace gw {
namespace {

class DeviceProxyTest : public ::testing::Test {
 protected:
  // Replies from a table keyed by the request line; anything else is answered "E 1".
  void answer(std::map<std::string, std::string> replies) {
    channel_.setHandler([replies = std::move(replies)](const std::string& request) {
      auto it = replies.find(request);
      if (it != replies.end()) return it->second;
      return request.substr(0, request.find(' ')) + "E 1";
    });
  }

  FakeDriverChannel channel_;
  DeviceProxy proxy_{channel_};
};

// The variable table's test walks the other operations; these have rules of their own.
TEST_F(DeviceProxyTest, AlarmMediaAndOutOfRangeRequests) {
  channel_.setHandler([](const std::string& request) {
    return request.substr(0, request.find(' ')) +
           (request[0] == 'W' || request[0] == 'C' ? "" : " 1");
  });
  int32_t v = 0;
  EXPECT_EQ(proxy_.getAlarm(&v), RC_OK);
  EXPECT_EQ(proxy_.setAlarm(257), RC_OK);
  EXPECT_EQ(proxy_.setAlarm(-1), RC_OK);
  EXPECT_EQ(proxy_.changeMedia(2, 1), RC_OK);
  const std::vector<std::string> expected = {"R7", "W7 1", "W7 255", "C4 2 1"};
  EXPECT_EQ(channel_.requests(), expected) << "the alarm value goes modulo 256";

  channel_.clearRequests();
  EXPECT_EQ(proxy_.getStatus(14, &v), RC_UNSUPPORTED);
  EXPECT_EQ(proxy_.getSetting(7, 0, &v), RC_UNSUPPORTED);
  EXPECT_EQ(proxy_.getNumber(15, &v), RC_UNSUPPORTED);
  EXPECT_TRUE(channel_.requests().empty())
      << "numbers outside the driver's tables are refused here";
}

TEST_F(DeviceProxyTest, ReplyParsing) {
  struct Case {
    std::string reply;
    ResultCode code;
    int32_t value;  // when the code is RC_OK
  };
  const Case cases[] = {
      {"S7 1", RC_OK, 1},
      {"S7 -12", RC_OK, -12},
      {"S7E 8", RC_NO_DEVICE, 0},
      {"S7E 2\r", RC_NOT_AVAILABLE, 0},
      {"S7E", RC_MALFORMED_REPLY, 0},
      {"S7E ", RC_MALFORMED_REPLY, 0},
      {"S7E x", RC_MALFORMED_REPLY, 0},
      {"S7E 0", RC_MALFORMED_REPLY, 0},
      {"S7E8", RC_MALFORMED_REPLY, 0},
      {"R7 1", RC_MALFORMED_REPLY, 0},
      {"S", RC_MALFORMED_REPLY, 0},
      {"S 1", RC_MALFORMED_REPLY, 0},
      {"S8 1", RC_MALFORMED_REPLY, 0},
      {"S7", RC_MALFORMED_REPLY, 0},
      {"S7 ", RC_MALFORMED_REPLY, 0},
      {"S7 12abc", RC_MALFORMED_REPLY, 0},
      {"S7 99999999999", RC_MALFORMED_REPLY, 0},
      {"S7x 1", RC_MALFORMED_REPLY, 0},
      {"", RC_MALFORMED_REPLY, 0},
  };
  for (const Case& c : cases) {
    answer({{"S7", c.reply}});
    int32_t value = 4711;
    EXPECT_EQ(proxy_.getStatus(7, &value), c.code) << "reply \"" << c.reply << "\"";
    EXPECT_EQ(value, c.code == RC_OK ? c.value : 4711)
        << "reply \"" << c.reply << "\": the value is written only on success";
  }

  answer({{"W3 5", "W3"}, {"C3", "C3E 1"}, {"C0 10", "C0 extra"}});
  EXPECT_EQ(proxy_.setSetting(3, 5), RC_OK);
  EXPECT_EQ(proxy_.toggleBuzzer(), RC_UNSUPPORTED);
  EXPECT_EQ(proxy_.selfTest(10), RC_OK) << "a command needs no value";

  channel_.setBroken(true);
  int32_t value = 4711;
  EXPECT_EQ(proxy_.getStatus(0, &value), RC_PIPE_BROKEN);
  EXPECT_EQ(value, 4711);
}

TEST_F(DeviceProxyTest, TextSizeQueryThenCopyUsesOneExchange) {
  answer({{"R12", "R12 SMART 1500"}, {"R13", "R13 "}, {"R8", "R8E 2"}});
  char buffer[64];
  size_t size = 1;
  EXPECT_EQ(proxy_.getText(12, buffer, &size), RC_BUFFER_TOO_SMALL);
  EXPECT_EQ(size, 11u) << "length + 1";
  size_t again = 5;
  EXPECT_EQ(proxy_.getText(12, buffer, &again), RC_BUFFER_TOO_SMALL) << "still too small";
  EXPECT_EQ(again, 11u);
  EXPECT_EQ(proxy_.getText(12, buffer, &size), RC_OK);
  EXPECT_STREQ(buffer, "SMART 1500");
  EXPECT_EQ(channel_.requests().size(), 1u) << "the size query and the copies share one exchange";

  size = sizeof buffer;
  EXPECT_EQ(proxy_.getText(12, buffer, &size), RC_OK);
  EXPECT_EQ(channel_.requests().size(), 2u) << "a copied text is read afresh next time";

  size = sizeof buffer;
  EXPECT_EQ(proxy_.getText(13, buffer, &size), RC_OK);
  EXPECT_STREQ(buffer, "") << "an empty text is a text";
  EXPECT_EQ(proxy_.getText(8, buffer, &size), RC_NOT_AVAILABLE);
  EXPECT_EQ(proxy_.getText(16, buffer, &size), RC_UNSUPPORTED);

  // A media change voids what a size query kept.
  size = 1;
  EXPECT_EQ(proxy_.getText(12, buffer, &size), RC_BUFFER_TOO_SMALL);
  answer({{"C4 3 0", "C4E 20"}, {"R12", "R12 OTHER"}});
  EXPECT_EQ(proxy_.changeMedia(3, 0), RC_DEVICE_CHANGED);
  size = sizeof buffer;
  EXPECT_EQ(proxy_.getText(12, buffer, &size), RC_OK);
  EXPECT_STREQ(buffer, "OTHER");
}

}  // namespace
}  // namespace gw
