// DEV requests over a driver channel that answers later: several connections in flight at once,
// replies in each connection's request order, and requests that need no device answered at once.
#include "service/server/deferred_device_call.h"

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <string>
#include <thread>

#include "common/time_text.h"
#include "service/server/client_server.h"
#include "testing/fake_clock.h"
#include "testing/fake_event_times.h"
#include "testing/temp_dir.h"

namespace gw {
namespace {

// Keeps submitted requests until the test lets the driver answer them, oldest first.
class HeldChannel final : public DriverChannel {
 public:
  ResultCode exchange(std::string_view, std::string*) override { return RC_PIPE_BROKEN; }
  void submit(std::vector<Request> requests) override {
    submits.push_back(requests.size());
    for (Request& r : requests) held.push_back(std::move(r));
  }
  size_t inFlight() const override { return held.size(); }
  // Answers the oldest request as the driver would.
  void answerOne() {
    Request r = std::move(held.front());
    held.pop_front();
    std::string line = r.line.substr(0, r.line.size() - 1);
    std::string reply = line == "S0" ? "S0 23000" : line == "R12" ? "R12 Model 1000" : line + " 1";
    r.done(RC_OK, reply);
  }
  std::deque<Request> held;
  std::vector<size_t> submits;  // the number of requests of each submit, in order
};

class NoSettings final : public KeyValueSettings {
 public:
  bool get(std::string*) override { return false; }
  ResultCode set(const std::string&) override { return RC_BAD_SETTING; }
};
class NoLogs final : public LogPages {
 public:
  int64_t count(int) override { return 0; }
  void clear(int) override {}
  void nextPage(int, int64_t, std::string* out) override { *out = "0"; }
  void previousPage(int, int64_t, std::string* out) override { *out = "0"; }
};
class NoSchedule final : public ScheduleItems {
 public:
  void listItems(std::string*) override {}
  ResultCode replaceItems(std::string_view) override { return RC_OK; }
};

class DeferredDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClientServerContext context{clock_, device_,  settings_, settings_,        events_,
                                logs_,  schedule_, dir_.path(), kLoopbackAddress, 0};
    ASSERT_EQ(ClientServer::create(std::move(context), &server_), RC_OK);
  }

  std::unique_ptr<TcpStream> login() {
    std::unique_ptr<TcpStream> c;
    EXPECT_EQ(connectTcp(kLoopbackAddress, server_->port(), kAnyAddress, 5000, &c), RC_OK);
    EXPECT_EQ(ask(*c, "USR NAME manager\r"), "");
    EXPECT_EQ(ask(*c, "USR PASS\r"), "");
    return c;
  }
  void pump() { ASSERT_EQ(server_->pollClients(5), RC_OK); }
  // Pumps until `count` replies (each ending with a carriage return) came, or 2 s passed.
  std::string replies(TcpStream& client, int count) {
    std::string got;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (std::chrono::steady_clock::now() < deadline &&
           std::count(got.begin(), got.end(), '\r') < count) {
      pump();
      char buffer[4096];
      size_t n = 0;
      if (client.receive(buffer, sizeof buffer, &n) == RC_OK) got.append(buffer, n);
    }
    return got;
  }
  std::string ask(TcpStream& client, const std::string& request) {
    EXPECT_EQ(sendAll(client, request, 5000), RC_OK);
    std::string r = replies(client, 1);
    if (!r.empty() && r.back() == '\r') r.pop_back();
    return r;
  }
  void pumpUntilHeld(size_t count) {
    for (int i = 0; i < 400 && held_.held.size() < count; ++i) pump();
  }

  TempDir dir_;
  FakeClock clock_;
  HeldChannel held_;
  DeviceProxy device_{held_};
  NoSettings settings_;
  FakeEventTimes events_;
  NoLogs logs_;
  NoSchedule schedule_;
  std::unique_ptr<ClientServer> server_;
};

TEST_F(DeferredDeviceTest, RequestsFromSeveralConnectionsAreInFlightTogetherAndAnsweredInOrder) {
  auto a = login();
  auto b = login();
  auto c = login();
  // a's second request waits behind its first, whatever kind it is.
  ASSERT_EQ(sendAll(*a, "DEV STATUS_INVOLT\r", 5000), RC_OK);
  pumpUntilHeld(1);
  ASSERT_EQ(sendAll(*a, "TIME NOW\r", 5000), RC_OK);
  ASSERT_EQ(sendAll(*b, "DEV PROP_MODEL\r", 5000), RC_OK);
  ASSERT_EQ(sendAll(*c, "DEV STATUS_CONNECT\r", 5000), RC_OK);
  pumpUntilHeld(3);
  ASSERT_EQ(held_.held.size(), 3u) << "each request goes out without waiting for the others";
  EXPECT_EQ(held_.held[0].line, "S0\n");
  EXPECT_EQ(held_.held[1].line == "R12\n" || held_.held[2].line == "R12\n", true);

  // A request that needs no device is answered while the driver owes three replies.
  auto d = login();
  EXPECT_EQ(ask(*d, "TIME NOW\r"), formatWireTime(clock_.nowMs()));
  EXPECT_EQ(ask(*d, "DEV NO_SUCH_VARIABLE\r"), "ERR 31") << "refused before any device request";
  EXPECT_EQ(held_.held.size(), 3u);

  while (!held_.held.empty()) held_.answerOne();
  EXPECT_EQ(replies(*a, 2), "23000\r" + formatWireTime(clock_.nowMs()) + "\r");
  EXPECT_EQ(replies(*b, 1), "Model 1000\r") << "the text read, one reply";
  EXPECT_EQ(replies(*c, 1), "1\r");
}

TEST_F(DeferredDeviceTest, TheDeviceRequestsOfOnePassGoToTheDriverTogether) {
  std::vector<std::unique_ptr<TcpStream>> clients;
  for (int i = 0; i < 4; ++i) clients.push_back(login());
  for (auto& c : clients) ASSERT_EQ(sendAll(*c, "DEV STATUS_INVOLT\r", 5000), RC_OK);
  // Loopback delivers at once; give the last bytes a moment so one pass sees all four.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  held_.submits.clear();
  pumpUntilHeld(4);
  ASSERT_EQ(held_.held.size(), 4u);
  EXPECT_EQ(held_.submits, std::vector<size_t>{4}) << "one write to the driver for the pass";
  // Answers that complete a call and those of a later pass still reach their connections.
  while (!held_.held.empty()) held_.answerOne();
  for (auto& c : clients) EXPECT_EQ(replies(*c, 1), "23000\r");
}

TEST_F(DeferredDeviceTest, RepliesAfterThePeerOrTheServerWentAreDropped) {
  auto a = login();
  ASSERT_EQ(sendAll(*a, "DEV STATUS_INVOLT\r", 5000), RC_OK);
  pumpUntilHeld(1);
  ASSERT_EQ(held_.held.size(), 1u);
  a.reset();
  held_.answerOne();  // the reply goes to a peer that left; the connection then ends
  for (int i = 0; i < 200 && server_->connectionCount() > 0; ++i) pump();
  EXPECT_EQ(server_->connectionCount(), 0u);

  auto b = login();
  ASSERT_EQ(sendAll(*b, "DEV STATUS_CONNECT\r", 5000), RC_OK);
  pumpUntilHeld(1);
  ASSERT_EQ(held_.held.size(), 1u);
  server_.reset();
  held_.answerOne();  // the connection is gone with its server: nothing to answer
  SUCCEED();
}

}  // namespace
}  // namespace gw
