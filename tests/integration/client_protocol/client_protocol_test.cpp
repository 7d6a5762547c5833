// The client protocol against a real monsvc (with porter, and no UPS on its ports) in a
// scratch data directory, over loopback TCP on a free port.
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "common/time_text.h"
#include "platform/process.h"
#include "platform/socket.h"
#include "testing/wire_client.h"
#include "testing/service_process.h"
#include "testing/temp_dir.h"

namespace gw {
namespace {

constexpr Ipv4Address kRemote = 0x7F000005;  // 127.0.0.5: loopback, but not the service's address

// A port nobody listens on right now.
uint16_t freePort() {
  std::unique_ptr<TcpListener> probe;
  if (listenTcp(kLoopbackAddress, 0, &probe) != RC_OK) return 0;
  return probe->localPort();
}

class ClientProtocolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.copyProgram("monsvc")) << "monsvc not built";
    ASSERT_TRUE(dir_.copyProgram("porter")) << "porter not built";
  }

  void TearDown() override {
    if (service_) service_->terminate();
  }

  // Starts monsvc and waits until it takes connections. `access` is written as the "access"
  // file first unless null.
  void startService(const char* access = nullptr) {
    if (access != nullptr) dir_.write("access", access);
    port_ = freePort();
    ASSERT_NE(port_, 0);
    ASSERT_EQ(spawnProcess(serviceOptions(dir_, port_), &service_), RC_OK);
    ASSERT_TRUE(waitForClientPort(*service_, port_, 15000))
        << "monsvc did not listen on port " << port_;
  }

  std::unique_ptr<TcpStream> connect(Ipv4Address source = kAnyAddress) {
    std::unique_ptr<TcpStream> s;
    EXPECT_EQ(connectTcp(kLoopbackAddress, port_, source, 5000, &s), RC_OK);
    return s;
  }

  std::unique_ptr<TcpStream> login(const std::string& name) {
    auto s = connect();
    if (!s) return s;
    EXPECT_EQ(ask(*s, "USR NAME " + name + "\r"), "");
    EXPECT_EQ(ask(*s, "USR PASS\r"), "");
    return s;
  }

  // A fresh manager connection still gets the service's time.
  void expectServed(const char* after) {
    auto s = login("manager");
    ASSERT_TRUE(s) << after;
    int64_t ms = 0;
    std::string reply = ask(*s, "TIME NOW\r", 10000);
    EXPECT_TRUE(parseWireTime(reply, &ms)) << "after " << after << ": '" << reply << "'";
    EXPECT_TRUE(service_->running()) << "monsvc ended after " << after;
  }

  TempDir dir_;
  uint16_t port_ = 0;
  std::unique_ptr<ChildProcess> service_;
};

TEST_F(ClientProtocolTest, RequestsLevelsAndSettings) {
  startService();
  auto fresh = connect();
  ASSERT_TRUE(fresh);
  EXPECT_EQ(ask(*fresh, "TIME NOW\r"), "ERR 33") << "no login yet";
  EXPECT_EQ(ask(*fresh, "\r"), "ERR 31") << "empty request";

  auto manager = login("manager");
  ASSERT_TRUE(manager);
  int64_t ms = 0;
  EXPECT_TRUE(parseWireTime(ask(*manager, "TIME NOW\r"), &ms));
  std::string connected = ask(*manager, "DEV STATUS_CONNECT\r");
  EXPECT_TRUE(connected == "0" || connected == "ERR 8") << "no UPS attached: " << connected;
  EXPECT_EQ(ask(*manager, "DEV\r"), "ERR 31");
  EXPECT_EQ(ask(*manager, "DEV CMD_SELFTEST\r"), "ERR 31") << "manager, number missing";

  // Framing: a split request is answered once; CR LF and a second request in the chunk are not.
  ASSERT_EQ(sendAll(*manager, "POL service.poll", 5000), RC_OK);
  EXPECT_EQ(receiveReply(*manager, 300), kNoReply);
  EXPECT_EQ(ask(*manager, "ing rate\r"), "3000");
  EXPECT_EQ(ask(*manager, "POL service.polling rate\rTIME NOW\r"), "ERR 30")
      << "one request: the key runs to the end";
  EXPECT_EQ(ask(*manager, "LOG KEY 7\r\n", 500), kNoReply);
  EXPECT_EQ(ask(*manager, "\r"), "0") << "the pending LOG KEY 7 ends with this chunk";

  EXPECT_EQ(ask(*manager, "POL service.polling rate=5000\r"), "");
  EXPECT_EQ(ask(*manager, "POL service.polling rate\r"), "5000");
  EXPECT_EQ(ask(*manager, "POL service.no such key\r"), "ERR 30");
  EXPECT_EQ(ask(*manager, "PTC powerfail.shutdown.happen.max count\r"), "1");
  EXPECT_EQ(ask(*manager, "PTC powerfail.dance.happen.max count\r"), "ERR 30");
  EXPECT_EQ(ask(*manager, "LOG NXT 0\r"), "ERR 31");
  EXPECT_EQ(ask(*manager, "USR NAME normal(read only)\r"), "");
  EXPECT_EQ(ask(*manager, "PTC powerfail.shutdown.happen.max count=2\r"), "") << "still manager";
  EXPECT_EQ(ask(*manager, "PTC powerfail.shutdown.happen.max count\r"), "2");

  auto normal = login("normal(read only)");
  ASSERT_TRUE(normal);
  EXPECT_EQ(ask(*normal, "DEV CMD_SELFTEST 10\r"), "ERR 33");
  EXPECT_EQ(ask(*normal, "POL service.polling rate=7000\r"), "") << "refused set, empty success";
  EXPECT_EQ(ask(*normal, "POL service.polling rate\r"), "5000");
  EXPECT_EQ(ask(*normal, "LOG CLR 0\r"), "ERR 33");
  std::string key = ask(*normal, "LOG KEY 0\r");
  EXPECT_FALSE(key.empty());
  EXPECT_EQ(key.find_first_not_of("0123456789"), std::string::npos) << key;
}

TEST_F(ClientProtocolTest, RemoteClientRefusedByTheDefaultRule) {
  startService();
  auto remote = connect(kRemote);
  ASSERT_TRUE(remote);
  EXPECT_EQ(ask(*remote, "USR NAME manager\r"), "ERR 32");
  EXPECT_EQ(receiveReply(*remote, 3000), kClosed);
  expectServed("a refused remote client");

  // The stop writes the rules and accounts back: the defaults of a fresh installation.
  service_->requestStop();
  int code = -1;
  ASSERT_EQ(service_->wait(10000, &code), RC_OK) << "monsvc ignored the stop";
  EXPECT_EQ(dir_.read("access"), "DENY 0.0.0.0/0\n");
  EXPECT_EQ(dir_.read("user"),
            "username=normal(read only)\npassword=\nlevel=1\n"
            "username=slave\npassword=\nlevel=3\n"
            "username=manager\npassword=\nlevel=7\n");
}

TEST_F(ClientProtocolTest, RemoteClientDroppedUnderAnEmptyAccessFile) {
  startService("");
  auto remote = connect(kRemote);
  ASSERT_TRUE(remote);
  EXPECT_EQ(ask(*remote, "USR NAME manager\r"), kClosed);
  expectServed("a dropped remote client");
}

TEST_F(ClientProtocolTest, RemoteClientServedUnderAnAllowRule) {
  startService("ALLOW 127.0.0.0/8\n");
  auto remote = connect(kRemote);
  ASSERT_TRUE(remote);
  EXPECT_EQ(ask(*remote, "USR NAME manager\r"), "");
  int64_t ms = 0;
  EXPECT_TRUE(parseWireTime(ask(*remote, "TIME NOW\r"), &ms));
}

TEST_F(ClientProtocolTest, AManagerIsServedWhile300DeniedConnectionsAreOpen) {
  startService();  // no "access" file: every remote address is denied
  constexpr Ipv4Address kDenied = 0x7F000002;  // 127.0.0.2
  std::vector<std::unique_ptr<TcpStream>> denied;
  for (int i = 0; i < 300; ++i) {
    std::unique_ptr<TcpStream> s;
    ASSERT_EQ(connectTcp(kLoopbackAddress, port_, kDenied, 5000, &s), RC_OK) << i;
    denied.push_back(std::move(s));
  }
  // They stay open on our side and send nothing; the service has let them go.
  auto manager = login("manager");
  ASSERT_TRUE(manager);
  int64_t ms = 0;
  std::string reply = ask(*manager, "TIME NOW\r", 5000);
  EXPECT_TRUE(parseWireTime(reply, &ms)) << reply;
  std::string first = receiveReply(*denied.front(), 3000);
  EXPECT_TRUE(first == "ERR 32" || first == kClosed) << first;
  EXPECT_TRUE(service_->running());
}

TEST_F(ClientProtocolTest, SurvivesFloodsStallsAndGarbage) {
  startService();

  {
    std::vector<std::unique_ptr<TcpStream>> flood;
    for (int i = 0; i < 1000; ++i) {
      std::unique_ptr<TcpStream> s;
      if (connectTcp(kLoopbackAddress, port_, kAnyAddress, 5000, &s) == RC_OK) {
        flood.push_back(std::move(s));
      }
    }
    EXPECT_EQ(flood.size(), 1000u) << "the backlog refused connections";
    // An early one of the flood is held and served even with hundreds of others open.
    EXPECT_EQ(ask(*flood[10], "USR NAME manager\r", 10000), "");
    int64_t ms = 0;
    EXPECT_TRUE(parseWireTime(ask(*flood[10], "TIME NOW\r", 10000), &ms));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  expectServed("1000 connections at once");

  auto endless = login("manager");
  ASSERT_TRUE(endless);
  std::string filler(4096, 'A');
  for (int i = 0; i < 64 && sendAll(*endless, filler, 2000) == RC_OK; ++i) {
  }
  EXPECT_EQ(receiveReply(*endless, 3000), kClosed) << "64 KiB without an end closes it";
  expectServed("a request that never ends");

  auto lazy = login("manager");
  ASSERT_TRUE(lazy);
  // A schedule of 1000 items makes every "SCH GET" reply about 48 KB, so the replies back up
  // long before the requests do.
  std::string items;
  for (int i = 0; i < 1000; ++i) items += "2 2 2030/11/05 2 22:30:00 2030/11/06 3 07:00:00\n";
  ASSERT_EQ(ask(*lazy, "SCH SET " + items + "\r"), "");
  ASSERT_EQ(ask(*lazy, "SCH GET\r").size(), items.size());
  std::string request = "SCH GET";
  request.resize(1023, ' ');
  request += '\r';
  // Requests back to back until the service has taken nothing for two seconds (it stops
  // reading a connection whose replies are not taken) or has closed the connection (pipelined
  // requests can lose their chunk framing and outgrow the pending limit; that is allowed too).
  auto t0 = std::chrono::steady_clock::now();
  size_t offset = 0;
  for (int i = 0; i < 100000; ++i) {
    size_t sent = 0;
    if (lazy->send(request.data() + offset, request.size() - offset, &sent) != RC_OK) break;
    offset = (offset + sent) % request.size();
    if (sent == 0 && lazy->waitReady(true, 2000) != RC_OK) break;
  }
  expectServed("a client that never reads");
  EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(30));
  // Once its replies have made no progress for the stall limit, the service lets it go.
  std::this_thread::sleep_for(std::chrono::milliseconds(7000));
  std::string drained;
  ResultCode rc = RC_OK;
  auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (rc != RC_SOCKET_ERROR && std::chrono::steady_clock::now() < give_up) {
    drained.clear();
    rc = receiveUntil(*lazy, '\0', 2000, &drained);
  }
  EXPECT_EQ(rc, RC_SOCKET_ERROR) << "the stalled connection was not closed";

  std::mt19937 random(1105);
  for (int round = 0; round < 20; ++round) {
    auto junk = connect();
    ASSERT_TRUE(junk);
    for (int k = 0; k < 10; ++k) {
      std::string bytes(1 + random() % 2000, '\0');
      for (char& b : bytes) b = static_cast<char>(random() % 256);
      if (k % 3 == 0) bytes.back() = '\r';
      if (sendAll(*junk, bytes, 1000) != RC_OK) break;
    }
  }
  expectServed("random bytes");
}

}  // namespace
}  // namespace gw
