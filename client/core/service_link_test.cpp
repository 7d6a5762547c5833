// The service link over loopback: hosts it refuses, replies in pieces and together, and a
// reply that came too late not being taken for the next request's.
#include "client/core/service_link.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace gw {
namespace {

constexpr int kWaitMs = 5000;

class ServiceLinkTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(listenTcp(kLoopbackAddress, 0, &listener_), RC_OK); }

  // Connects `link` and accepts the service's side of it.
  void connect(ServiceLink& link) {
    ASSERT_EQ(link.connect("127.0.0.1", listener_->localPort()), RC_OK);
    auto poll = createPollSet();
    poll->add(*listener_, true, false);
    ASSERT_EQ(poll->wait(kWaitMs), RC_OK);
    ASSERT_EQ(listener_->accept(&service_), RC_OK);
  }

  // What the service has received so far, waiting for at least one piece.
  std::string received() {
    std::string text;
    EXPECT_EQ(receiveUntil(*service_, '\r', kWaitMs, &text), RC_OK);
    return text;
  }

  std::unique_ptr<TcpListener> listener_;
  std::unique_ptr<TcpStream> service_;
};

TEST_F(ServiceLinkTest, HostsThatAreNotAddressesAndServicesThatAreNotThere) {
  ServiceLink link({1000, 1000});
  EXPECT_EQ(link.connect("ups.example", listener_->localPort()), RC_BAD_REQUEST)
      << "no name service is asked";
  EXPECT_FALSE(link.connected());
  std::string reply = "untouched";
  EXPECT_EQ(link.exchange("DEV STATUS_CONNECT\r", &reply), RC_SOCKET_ERROR);
  EXPECT_EQ(reply, "untouched");

  const uint16_t port = listener_->localPort();
  listener_.reset();
  EXPECT_EQ(link.connect("localhost", port), RC_SOCKET_ERROR);
}

TEST_F(ServiceLinkTest, RepliesAreMatchedToTheirRequests) {
  ServiceLink link({1000, 200});
  connect(link);

  // A reply in two pieces, with the next one in the same piece as its end.
  std::string reply;
  ASSERT_EQ(sendAll(*service_, "23", kWaitMs), RC_OK);
  ASSERT_EQ(sendAll(*service_, "000\r1\r", kWaitMs), RC_OK);
  ASSERT_EQ(link.exchange("DEV STATUS_INVOLT\r", &reply), RC_OK);
  EXPECT_EQ(reply, "23000");
  EXPECT_EQ(received(), "DEV STATUS_INVOLT\r");
  ASSERT_EQ(link.exchange("DEV STATUS_CONNECT\r", &reply), RC_OK);
  EXPECT_EQ(reply, "1");
  EXPECT_EQ(received(), "DEV STATUS_CONNECT\r");

  // The service answers only after the wait: that answer is skipped, not given to the next.
  reply = "untouched";
  EXPECT_EQ(link.exchange("DEV STATUS_TEMP\r", &reply), RC_SOCKET_ERROR);
  EXPECT_EQ(reply, "untouched");
  EXPECT_TRUE(link.connected()) << "a slow service is not a broken connection";
  EXPECT_EQ(received(), "DEV STATUS_TEMP\r");
  ASSERT_EQ(sendAll(*service_, "3500\r5000\r", kWaitMs), RC_OK);
  ASSERT_EQ(link.exchange("DEV STATUS_FREQ\r", &reply), RC_OK);
  EXPECT_EQ(reply, "5000");

  // A service that closes the connection breaks it for good.
  service_.reset();
  EXPECT_EQ(link.exchange("DEV STATUS_LOAD\r", &reply), RC_SOCKET_ERROR);
  EXPECT_FALSE(link.connected());
}

}  // namespace
}  // namespace gw
