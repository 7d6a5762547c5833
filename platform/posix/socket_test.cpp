// Loopback tests of the TCP sockets and the readiness set.
#include "platform/socket.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace gw {
namespace {

constexpr int kWaitMs = 5000;

class SocketTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(listenTcp(kLoopbackAddress, 0, &listener_), RC_OK);
    ASSERT_NE(listener_->localPort(), 0);
  }

  // Connects a client (optionally from `source`) and accepts its server side.
  void connectPair(std::unique_ptr<TcpStream>* client, std::unique_ptr<TcpStream>* server,
                   Ipv4Address source = kAnyAddress) {
    ASSERT_EQ(connectTcp(kLoopbackAddress, listener_->localPort(), source, kWaitMs, client), RC_OK);
    auto poll = createPollSet();
    poll->add(*listener_, true, false);
    ASSERT_EQ(poll->wait(kWaitMs), RC_OK);
    ASSERT_TRUE(poll->readable(0));
    ASSERT_EQ(listener_->accept(server), RC_OK);
  }

  std::unique_ptr<TcpListener> listener_;
};

TEST(Ipv4TextTest, ParsesOnlyFourDottedParts) {
  Ipv4Address a = 0;
  EXPECT_TRUE(parseIpv4("127.0.0.5", &a));
  EXPECT_EQ(a, 0x7F000005u);
  EXPECT_TRUE(parseIpv4("255.255.255.255", &a));
  EXPECT_EQ(a, 0xFFFFFFFFu);
  EXPECT_EQ(formatIpv4(0xC0A80101u), "192.168.1.1");
  EXPECT_EQ(formatIpv4(0), "0.0.0.0");
  a = 42;
  for (const char* bad : {"", "1.2.3", "1.2.3.4.5", "256.0.0.1", "1..2.3", "1.2.3.4 ", "a.b.c.d",
                          "1.2.3.-4", "0001.2.3.4"}) {
    EXPECT_FALSE(parseIpv4(bad, &a)) << "accepted '" << bad << "'";
  }
  EXPECT_EQ(a, 42u) << "a refused text must leave the out-parameter alone";
}

TEST_F(SocketTest, BytesFlowBothWaysAndReceiveNeverBlocks) {
  std::unique_ptr<TcpStream> client, server;
  connectPair(&client, &server);
  EXPECT_EQ(server->peerAddress(), kLoopbackAddress);
  EXPECT_EQ(client->peerPort(), listener_->localPort());
  EXPECT_EQ(client->localAddress(), kLoopbackAddress);

  char buffer[64];
  size_t got = 99;
  EXPECT_EQ(server->receive(buffer, sizeof buffer, &got), RC_TIMEOUT) << "nothing sent yet";
  EXPECT_EQ(got, 99u);

  ASSERT_EQ(sendAll(*client, "DEV STATUS_CONNECT\r", kWaitMs), RC_OK);
  std::string text;
  ASSERT_EQ(receiveUntil(*server, '\r', kWaitMs, &text), RC_OK);
  EXPECT_EQ(text, "DEV STATUS_CONNECT\r");

  ASSERT_EQ(sendAll(*server, "1\r", kWaitMs), RC_OK);
  text.clear();
  ASSERT_EQ(receiveUntil(*client, '\r', kWaitMs, &text), RC_OK);
  EXPECT_EQ(text, "1\r");

  EXPECT_EQ(client->waitReady(false, 50), RC_TIMEOUT) << "no more bytes are on their way";
}

TEST_F(SocketTest, SourceAddressIsWhatThePeerSees) {
  std::unique_ptr<TcpStream> client, server;
  connectPair(&client, &server, 0x7F000005);
  EXPECT_EQ(server->peerAddress(), 0x7F000005u);
  EXPECT_EQ(formatIpv4(server->peerAddress()), "127.0.0.5");
}

TEST_F(SocketTest, PeerCloseReadsAsEndOfStreamAndSendFailsWithoutSignal) {
  std::unique_ptr<TcpStream> client, server;
  connectPair(&client, &server);
  client.reset();

  auto poll = createPollSet();
  poll->add(*server, true, false);
  ASSERT_EQ(poll->wait(kWaitMs), RC_OK);
  EXPECT_TRUE(poll->readable(0)) << "a hang-up must wake a reader";
  char buffer[16];
  size_t got = 0;
  EXPECT_EQ(server->receive(buffer, sizeof buffer, &got), RC_SOCKET_ERROR);

  // The first send may still be taken; the reset it provokes fails a later one. A SIGPIPE
  // here would end the test program.
  ResultCode rc = RC_OK;
  for (int i = 0; i < 50 && rc == RC_OK; ++i) {
    size_t sent = 0;
    rc = server->send("x", 1, &sent);
    if (rc == RC_OK) (void)server->waitReady(false, 20);  // give the reset time to arrive
  }
  EXPECT_EQ(rc, RC_SOCKET_ERROR);
}

TEST_F(SocketTest, SendToAPeerThatDoesNotReadStopsInsteadOfBlocking) {
  std::unique_ptr<TcpStream> client, server;
  connectPair(&client, &server);
  std::string block(64 * 1024, 'z');
  size_t total = 0;
  auto start = std::chrono::steady_clock::now();
  for (;;) {
    size_t sent = 0;
    ASSERT_EQ(server->send(block.data(), block.size(), &sent), RC_OK);
    if (sent == 0) break;
    total += sent;
    ASSERT_LT(total, size_t{512} * 1024 * 1024) << "the send buffer never filled";
  }
  EXPECT_GT(total, 0u);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
  // The system may grow its buffers once; a stalled sendAll must still give up in time.
  ResultCode rc = RC_OK;
  for (int i = 0; i < 8192 && rc == RC_OK; ++i) rc = sendAll(*server, block, 100);
  EXPECT_EQ(rc, RC_TIMEOUT);
}

TEST_F(SocketTest, PollSetReportsEachSlotAndTimesOut) {
  auto poll = createPollSet();
  poll->add(*listener_, true, false);
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(poll->wait(100), RC_TIMEOUT);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(90));
  EXPECT_FALSE(poll->readable(0));

  std::unique_ptr<TcpStream> a_client, a_server, b_client, b_server;
  connectPair(&a_client, &a_server);
  connectPair(&b_client, &b_server);
  ASSERT_EQ(sendAll(*b_client, "x", kWaitMs), RC_OK);

  poll->clear();
  size_t a = poll->add(*a_server, true, false);
  size_t b = poll->add(*b_server, true, true);
  EXPECT_EQ(a, 0u);
  EXPECT_EQ(b, 1u);
  ASSERT_EQ(poll->wait(kWaitMs), RC_OK);
  // The byte may need a moment on a loaded machine: wait for the reading side alone.
  if (!poll->readable(b)) {
    poll->clear();
    poll->add(*a_server, true, false);
    poll->add(*b_server, true, false);
    ASSERT_EQ(poll->wait(kWaitMs), RC_OK);
  }
  EXPECT_FALSE(poll->readable(a));
  EXPECT_TRUE(poll->readable(b));
  EXPECT_FALSE(poll->broken(a));
  EXPECT_FALSE(poll->readable(7)) << "an unknown slot is never ready";
}

TEST_F(SocketTest, SetupFailuresAreCodes) {
  std::unique_ptr<TcpListener> second;
  EXPECT_EQ(listenTcp(kLoopbackAddress, listener_->localPort(), &second), RC_NOT_AVAILABLE);
  EXPECT_EQ(second, nullptr);

  uint16_t port = listener_->localPort();
  listener_.reset();
  std::unique_ptr<TcpStream> stream;
  EXPECT_EQ(connectTcp(kLoopbackAddress, port, kAnyAddress, kWaitMs, &stream), RC_SOCKET_ERROR);
  EXPECT_EQ(stream, nullptr);
}

TEST(LocalInterfacesTest, IncludeLoopback) {
  std::vector<Ipv4Address> addresses;
  ASSERT_EQ(localInterfaceAddresses(&addresses), RC_OK);
  bool has_loopback = false;
  for (Ipv4Address a : addresses) has_loopback = has_loopback || a == kLoopbackAddress;
  EXPECT_TRUE(has_loopback);
}

}  // namespace
}  // namespace gw
