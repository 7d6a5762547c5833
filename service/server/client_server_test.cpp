// The client protocol over real loopback TCP: a ClientServer on an ephemeral port with fakes
// behind it, pumped from the test's own thread.
#include "service/server/client_server.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <string>

#include "common/time_text.h"
#include "service/core/service_adapters.h"
#include "testing/fake_clock.h"
#include "testing/fake_driver_channel.h"
#include "testing/fake_event_times.h"
#include "testing/recording_system_log.h"
#include "testing/temp_dir.h"

namespace gw {
namespace {

constexpr const char* kNoReply = "<no reply>";
constexpr const char* kClosed = "<closed>";

// Answers the driver requests the tests use, as the driver would: "S12" -> "S12 1". With
// `device_error` set every request is answered with that driver error.
std::string driverReply(const std::string& request, int device_error) {
  std::string echo = request.substr(0, request.find(' '));
  if (device_error != 0) return echo + "E " + std::to_string(device_error);
  if (request == "S12") return "S12 1";
  if (request == "S0") return "S0 23000";
  if (request == "R0 0") return "R0 264";
  if (request == "R0 1") return "R0 253";
  if (request == "R12") return "R12 Model 1000";
  return echo;  // commands and writes: success
}

class ClientServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    channel_.setHandler([this](const std::string& r) { return driverReply(r, device_error_); });
    startServer();
  }

  // (Re)starts the server, which reads "access" and "user" from the data directory; a stopping
  // server writes them back, so a new "access" text is put in place between the two.
  void startServer(const char* access_text = nullptr) {
    server_.reset();
    if (access_text != nullptr) dir_.write("access", access_text);
    ClientServerContext context{clock_, device_,         settings_,   policies_,        events_,
                                pages_, schedule_items_, dir_.path(), kLoopbackAddress, 0};
    context.log = &log_;
    ASSERT_EQ(ClientServer::create(std::move(context), &server_), RC_OK);
    ASSERT_NE(server_->port(), 0);
  }

  // Connects and waits until the server has taken the connection into its table. A remote
  // peer that the rules refuse never gets there: `takes_place` false just lets it be accepted.
  std::unique_ptr<TcpStream> connect(Ipv4Address source = kAnyAddress, bool takes_place = true) {
    std::unique_ptr<TcpStream> stream;
    EXPECT_EQ(connectTcp(kLoopbackAddress, server_->port(), source, 5000, &stream), RC_OK);
    size_t before = server_->connectionCount();
    if (!takes_place) {
      for (int i = 0; i < 5; ++i) pump(10);
      return stream;
    }
    for (int i = 0; i < 200 && server_->connectionCount() == before; ++i) pump(10);
    EXPECT_GT(server_->connectionCount(), before) << "the server did not take the connection";
    return stream;
  }

  void pump(uint32_t ms) { ASSERT_EQ(server_->pollClients(ms), RC_OK); }

  // Pumps the server until the client has a reply ending with a carriage return, the stream
  // closed, or `patience_ms` passed.
  std::string awaitReply(TcpStream& client, int patience_ms = 3000) {
    std::string got;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(patience_ms);
    while (std::chrono::steady_clock::now() < deadline) {
      pump(5);
      char buffer[4096];
      size_t n = 0;
      ResultCode rc = client.receive(buffer, sizeof buffer, &n);
      if (rc == RC_SOCKET_ERROR) return got.empty() ? kClosed : got + kClosed;
      if (rc == RC_OK) got.append(buffer, n);
      if (!got.empty() && got.back() == '\r') {
        got.pop_back();
        return got;
      }
    }
    return got.empty() ? kNoReply : got;
  }

  std::string ask(TcpStream& client, const std::string& request) {
    EXPECT_EQ(sendAll(client, request, 5000), RC_OK);
    return awaitReply(client);
  }

  // A request whose login fails: its reply comes once the failure delay has passed.
  std::string askFailing(TcpStream& client, const std::string& request) {
    EXPECT_EQ(sendAll(client, request, 5000), RC_OK);
    for (int i = 0; i < 4; ++i) pump(5);  // served, its reply held
    clock_.advance(ClientServer::kLoginFailureDelayMs);
    return awaitReply(client);
  }

  std::unique_ptr<TcpStream> login(const std::string& name) {
    auto c = connect();
    EXPECT_EQ(ask(*c, "USR NAME " + name + "\r"), "");
    EXPECT_EQ(ask(*c, "USR PASS\r"), "");
    return c;
  }

  TempDir dir_;
  FakeClock clock_;
  FakeDriverChannel channel_;
  int device_error_ = 0;
  DeviceProxy device_{channel_};
  NoticeIdCounter ids_;
  ConfigStore config_{dir_.path(), ids_, nullptr};
  PolicyTable policy_table_{ids_, nullptr};
  ConfigStoreSettings settings_{config_};
  PolicySettings policies_{policy_table_, dir_.file("protect")};
  FakeEventTimes events_;
  LogStore logs_{dir_.path()};
  LogStorePages pages_{logs_};
  Schedule schedule_{dir_.path(), clock_};
  ScheduleListItems schedule_items_{schedule_};
  RecordingSystemLog log_;
  std::unique_ptr<ClientServer> server_;
};

TEST_F(ClientServerTest, FramingIsByChunkEndingWithCarriageReturn) {
  auto c = login("manager");
  EXPECT_EQ(ask(*c, "DEV STATUS_CONNECT\r"), "1");

  // Split inside the variable name: one reply, after the second chunk.
  ASSERT_EQ(sendAll(*c, "DEV STATUS_CON", 5000), RC_OK);
  EXPECT_EQ(awaitReply(*c, 300), kNoReply);
  EXPECT_EQ(ask(*c, "NECT\r"), "1");

  // CR LF ends no chunk: no reply, the bytes wait and become the start of the next request.
  ASSERT_EQ(sendAll(*c, "DEV STATUS_INVOLT\r\n", 5000), RC_OK);
  EXPECT_EQ(awaitReply(*c, 300), kNoReply);
  channel_.clearRequests();
  EXPECT_EQ(ask(*c, "TIME NOW\r"), "23000") << "the pending bytes decide the command";
  EXPECT_EQ(channel_.requests(), std::vector<std::string>{"S0"});

  // Two requests in one chunk are one request: its first word decides, the second gets nothing.
  EXPECT_EQ(ask(*c, "DEV STATUS_CONNECT\rTIME NOW\r"), "1");
  EXPECT_EQ(awaitReply(*c, 300), kNoReply);

  EXPECT_EQ(ask(*c, "\r"), "ERR 31") << "empty request";
  EXPECT_EQ(ask(*c, "   \r"), "ERR 31") << "blank request";
  EXPECT_EQ(ask(*c, "DEV\r"), "ERR 31");
  EXPECT_EQ(ask(*c, "dev STATUS_CONNECT\r"), "ERR 31") << "command words are upper case";
  EXPECT_EQ(ask(*c, "DEVX\r"), "ERR 31");
  EXPECT_EQ(ask(*c, "  \tDEV STATUS_CONNECT\r"), "1") << "leading white space is skipped";
}

TEST_F(ClientServerTest, EveryCommandButUsrNeedsALogin) {
  auto c = connect();
  size_t count = 0;
  const RequestDispatcher::Command* rows = RequestDispatcher::commands(&count);
  ASSERT_EQ(count, 8u);
  const char* order[] = {"DEV", "LOG", "SCH", "PTC", "POL", "USR", "ACC", "TIME"};
  for (size_t i = 0; i < count; ++i) {
    EXPECT_EQ(rows[i].word, order[i]);
    std::string reply = ask(*c, std::string(rows[i].word) + " GET\r");
    if (rows[i].word == "USR") {
      EXPECT_EQ(reply, "") << "USR needs no login";
    } else {
      EXPECT_EQ(reply, "ERR 33") << rows[i].word << " without a login";
    }
  }
  EXPECT_EQ(ask(*c, "NOPE\r"), "ERR 31") << "an unknown word is refused before the level check";

  // A wrong name keeps failing until a right one is sent; the check tries again every time.
  EXPECT_EQ(ask(*c, "USR NAME Manager\r"), "");
  EXPECT_EQ(askFailing(*c, "TIME NOW\r"), "ERR 33") << "names compare exactly";
  EXPECT_EQ(ask(*c, "USR NAME manager \r"), "");
  EXPECT_EQ(askFailing(*c, "TIME NOW\r"), "ERR 33") << "a trailing blank is part of the name";
  EXPECT_EQ(ask(*c, "USR NAME manager\r"), "");
  EXPECT_EQ(ask(*c, "USR PASS anything at all\r"), "");
  EXPECT_EQ(ask(*c, "TIME NOW\r"), formatWireTime(clock_.nowMs()));
  EXPECT_EQ(c->peerPort(), server_->port());

  EXPECT_EQ(ask(*c, "USR\r"), "ERR 31");
  EXPECT_EQ(ask(*c, "USR WHO\r"), "ERR 31");
  for (const char* ok : {"USR GET\r", "USR SET\r", "USR SLAVE\r", "ACC\r"}) {
    EXPECT_EQ(ask(*c, ok), "") << ok;
  }
}

TEST_F(ClientServerTest, LevelsOfTheDefaultAccounts) {
  auto manager = login("manager");
  EXPECT_EQ(ask(*manager, "TIME NOW\r"), formatWireTime(clock_.nowMs()));
  EXPECT_EQ(ask(*manager, "USR NAME normal(read only)\r"), "");
  EXPECT_EQ(ask(*manager, "DEV CMD_SELFTEST 10\r"), "") << "a later name does not lower the level";
  EXPECT_EQ(ask(*manager, "DEV CMD_SELFTEST\r"), "ERR 31") << "manager, number missing";

  auto normal = login("normal(read only)");
  EXPECT_EQ(ask(*normal, "DEV STATUS_CONNECT\r"), "1");
  channel_.clearRequests();
  EXPECT_EQ(ask(*normal, "DEV CMD_SELFTEST 10\r"), "ERR 33");
  EXPECT_EQ(ask(*normal, "DEV SET_PROP_INPUTHI 250\r"), "ERR 33");
  EXPECT_EQ(ask(*normal, "DEV CMD_TOGGLEBUZZER\r"), "ERR 33");
  EXPECT_EQ(ask(*normal, "LOG CLR 0\r"), "ERR 33");
  EXPECT_EQ(ask(*normal, "SCH SET 1 1 2002/11/05 2 22:30:00 2002/11/05 2 22:31:00\n\r"), "ERR 33");
  EXPECT_TRUE(channel_.requests().empty()) << "a refused command must not reach the device";
  EXPECT_EQ(ask(*normal, "USR NAME manager\r"), "");
  EXPECT_EQ(ask(*normal, "DEV CMD_SELFTEST 10\r"), "ERR 33")
      << "the level stays for the connection";

  auto slave = login("slave");
  EXPECT_EQ(ask(*slave, "USR SLAVE\r"), "");
  EXPECT_EQ(ask(*slave, "DEV STATUS_CONNECT\r"), "1") << "local clients never meet the rules";
}

TEST_F(ClientServerTest, DeviceVariablesByKind) {
  auto c = login("manager");
  EXPECT_EQ(ask(*c, "DEV PROP_INPUTHI DEFAULT\r"), "253");
  EXPECT_EQ(ask(*c, "DEV PROP_INPUTHI\r"), "264");
  EXPECT_EQ(ask(*c, "DEV PROP_INPUTHI default\r"), "264");
  EXPECT_EQ(ask(*c, "DEV PROP_INPUTHI DEFAULTS\r"), "264");
  EXPECT_EQ(ask(*c, "DEV PROP_MODEL\r"), "Model 1000");
  EXPECT_EQ(ask(*c, "DEV prop_model\r"), "ERR 31");

  channel_.clearRequests();
  EXPECT_EQ(ask(*c, "DEV CMD_SLEEP 120 -5\r"), "");
  EXPECT_EQ(ask(*c, "DEV CMD_SLEEP 120\r"), "ERR 31");
  EXPECT_EQ(ask(*c, "DEV CMD_SELFTEST x\r"), "ERR 31");
  EXPECT_EQ(ask(*c, "DEV CMD_SELFTEST 99999999999\r"), "ERR 31") << "does not fit an int";
  EXPECT_EQ(ask(*c, "DEV CMD_SELFTEST -1\r"), "");
  EXPECT_EQ(ask(*c, "DEV CMD_TOGGLEBUZZER\r"), "");
  EXPECT_EQ(ask(*c, "DEV SET_PROP_INPUTHI +250\r"), "");
  std::vector<std::string> expected = {"C1 120 -5", "C0 -1", "C3", "W0 250"};
  EXPECT_EQ(channel_.requests(), expected);

  device_error_ = RC_NO_DEVICE;
  EXPECT_EQ(ask(*c, "DEV STATUS_CONNECT\r"), "ERR 8");
  EXPECT_EQ(ask(*c, "DEV PROP_MODEL\r"), "ERR 8");
  EXPECT_EQ(ask(*c, "DEV CMD_TOGGLEBUZZER\r"), "ERR 8");
}

TEST_F(ClientServerTest, PolicyAndSettingGetAndSet) {
  auto normal = login("normal(read only)");
  auto manager = login("manager");
  EXPECT_EQ(ask(*normal, "POL service.polling rate\r"), "3000");
  EXPECT_EQ(ask(*normal, "POL service.polling rate=5000\r"), "") << "refused set still succeeds";
  EXPECT_EQ(ask(*normal, "POL service.polling rate\r"), "3000");

  EXPECT_EQ(ask(*manager, "POL service.polling rate=5000\r"), "");
  EXPECT_EQ(ask(*normal, "POL    service.polling rate\r"), "5000") << "blanks before the key";
  EXPECT_EQ(ask(*manager, "POL service.polling rate=fast\r"), "ERR 30") << "value refused";
  EXPECT_EQ(ask(*manager, "POL service.nothing=1\r"), "ERR 30");
  EXPECT_EQ(ask(*manager, "POL service.nothing\r"), "ERR 30");
  EXPECT_EQ(ask(*manager, "POL email.subject=\r"), "");
  EXPECT_EQ(ask(*manager, "POL email.subject\r"), "ERR 30") << "an empty value reads as an error";
  EXPECT_EQ(ask(*manager, "POL\r"), "ERR 30");
  EXPECT_EQ(ask(*manager, "POL service.polling rate \r"), "ERR 30") << "the key is verbatim";

  EXPECT_EQ(ask(*normal, "PTC powerfail.shutdown.happen.max count\r"), "1");
  EXPECT_EQ(ask(*normal, "PTC powerfail.nonsense.happen.max count\r"), "ERR 30");
  EXPECT_EQ(ask(*manager, "PTC powerfail.shutdown.happen.max count=3\r"), "");
  EXPECT_EQ(ask(*normal, "PTC powerfail.shutdown.happen.max count\r"), "3");
  EXPECT_EQ(ask(*normal, "PTC powerfail.shutdown.happen.max count=9\r"), "");
  EXPECT_EQ(ask(*normal, "PTC powerfail.shutdown.happen.max count\r"), "3") << "no manager, no set";

  // Every change is in its file when it is answered; one that cannot be written is refused.
  EXPECT_NE(dir_.read("policy").find("service.polling rate=5000\n"), std::string::npos);
  EXPECT_NE(dir_.read("protect").find("powerfail.shutdown.happen.max count=3\n"),
            std::string::npos);
  std::filesystem::remove(dir_.file("policy"));
  std::filesystem::create_directories(dir_.file("policy/in-the-way"));
  EXPECT_EQ(ask(*manager, "POL service.polling rate=7000\r"), "ERR 2");
  EXPECT_EQ(ask(*manager, "POL service.polling rate\r"), "5000") << "not made";
}

TEST_F(ClientServerTest, LogPagesAndCursors) {
  for (int i = 0; i < 120; ++i) ASSERT_EQ(logs_.appendEvent(clock_.nowMs(), i % 12), RC_OK);
  auto normal = login("normal(read only)");
  auto manager = login("manager");
  EXPECT_EQ(ask(*normal, "LOG KEY 0\r"), "120");
  EXPECT_EQ(ask(*normal, "LOG KEY 7\r"), "0");
  EXPECT_EQ(ask(*normal, "LOG KEY -1\r"), "0");
  EXPECT_EQ(ask(*normal, "LOG KEY\r"), "ERR 31");
  EXPECT_EQ(ask(*normal, "LOG NXT 0\r"), "ERR 31") << "no cursor";
  EXPECT_EQ(ask(*normal, "LOG PRV 0 x\r"), "ERR 31");
  EXPECT_EQ(ask(*normal, "LOG XYZ 0\r"), "ERR 31");
  EXPECT_EQ(ask(*normal, "LOG NXT 0 120\r"), "120");
  std::string page = ask(*normal, "LOG NXT 0 100\r");
  EXPECT_EQ(page.substr(0, 4), "120 ");
  EXPECT_EQ(std::count(page.begin(), page.end(), '\n'), 20);
  page = ask(*normal, "LOG PRV 0 120\r");
  EXPECT_EQ(page.substr(0, 3), "70 ");
  EXPECT_EQ(std::count(page.begin(), page.end(), '\n'), 50);
  EXPECT_EQ(ask(*normal, "LOG NXT 9 0\r"), "") << "an unknown log answers an empty success";

  EXPECT_EQ(ask(*manager, "LOG CLR 7\r"), "");
  EXPECT_EQ(ask(*manager, "LOG CLR 2\r"), "");
  EXPECT_EQ(ask(*normal, "LOG KEY 0\r"), "120") << "only the named log is cleared";
  EXPECT_EQ(ask(*manager, "LOG CLR 0\r"), "");
  EXPECT_EQ(ask(*normal, "LOG KEY 0\r"), "0");
}

TEST_F(ClientServerTest, ScheduleAndTime) {
  auto manager = login("manager");
  EXPECT_EQ(ask(*manager, "SCH GET\r"), "");
  EXPECT_EQ(ask(*manager, "SCH\r"), "ERR 31");
  EXPECT_EQ(ask(*manager, "SCH PUT\r"), "ERR 31");
  std::string items =
      "2 2 2030/11/05 2 22:30:00 2030/11/06 3 07:00:00\n"
      "3 3 2030/11/07 4 10:00:00 2030/11/07 4 10:01:00\n";
  EXPECT_EQ(ask(*manager, "SCH SET " + items + "\r"), "") << "line feeds inside a request";
  EXPECT_EQ(ask(*manager, "SCH GET\r"), items);
  EXPECT_EQ(ask(*manager, "SCH SET\r"), "") << "no items empties the schedule";
  EXPECT_EQ(ask(*manager, "SCH GET\r"), "");

  EXPECT_EQ(ask(*manager, "TIME NOW\r"), formatWireTime(clock_.nowMs()));
  events_.phases[2] = 1;
  events_.happen[2] = FakeClock::kDefaultStart - 60000;
  events_.restore[2] = FakeClock::kDefaultStart - 30000;
  EXPECT_EQ(ask(*manager, "TIME HAPPEN powerfail\r"), formatWireTime(events_.happen[2]));
  EXPECT_EQ(ask(*manager, "TIME RESTORE powerfail\r"), formatWireTime(clock_.nowMs()))
      << "not restored: the current time";
  events_.phases[2] = 2;
  EXPECT_EQ(ask(*manager, "TIME RESTORE powerfail\r"), formatWireTime(events_.restore[2]));
  EXPECT_EQ(ask(*manager, "TIME HAPPEN powerfail\r"), formatWireTime(clock_.nowMs()));
  EXPECT_EQ(ask(*manager, "TIME HAPPEN tempover\r"), formatWireTime(clock_.nowMs()));
  EXPECT_EQ(ask(*manager, "TIME HAPPEN PowerFail\r"), "ERR 31");
  EXPECT_EQ(ask(*manager, "TIME HAPPEN\r"), "ERR 31");
  EXPECT_EQ(ask(*manager, "TIME\r"), "ERR 31");
  EXPECT_EQ(ask(*manager, "TIME LATER\r"), "ERR 31");
}

TEST_F(ClientServerTest, RemotePeersMeetTheAddressRules) {
  constexpr Ipv4Address kRemote = 0x7F000005;  // 127.0.0.5: not this server's own address
  // No "access" file: the default rule refuses every remote peer with a reply.
  auto denied = connect(kRemote, false);
  EXPECT_EQ(ask(*denied, "TIME NOW\r"), "ERR 32");
  EXPECT_EQ(awaitReply(*denied, 1000), kClosed) << "closed after the refusal";
  auto local = login("manager");
  EXPECT_EQ(ask(*local, "TIME NOW\r"), formatWireTime(clock_.nowMs()))
      << "local clients are served";
  local.reset();

  // An empty "access" file: remote peers are dropped without a word.
  startServer("");
  auto dropped = connect(kRemote, false);
  EXPECT_EQ(ask(*dropped, "TIME NOW\r"), kClosed);

  // A NONE rule decides nothing; the ALLOW after it admits the peer, on every request.
  startServer("NONE 127.0.0.5/32\nALLOW 127.0.0.0/8\nDENY 0.0.0.0/0\n");
  auto allowed = connect(kRemote);
  EXPECT_EQ(ask(*allowed, "TIME NOW\r"), "ERR 33") << "admitted, but not logged in";
  EXPECT_EQ(ask(*allowed, "USR NAME manager\r"), "");
  EXPECT_EQ(ask(*allowed, "TIME NOW\r"), formatWireTime(clock_.nowMs()));
  EXPECT_EQ(ask(*allowed, "TIME NOW\r"), formatWireTime(clock_.nowMs()));

  // A rule for another network leaves 127.0.0.5 to the catch-all drop.
  startServer("ALLOW 192.168.1.0/24\n");
  auto other = connect(kRemote, false);
  EXPECT_EQ(ask(*other, "USR NAME manager\r"), kClosed) << "even USR meets the rules first";
}

TEST_F(ClientServerTest, SilentDeniedPeersNeverTakeAPlace) {
  constexpr Ipv4Address kDenied = 0x7F000002;  // 127.0.0.2, under the default DENY rule
  std::vector<std::unique_ptr<TcpStream>> silent;
  for (int i = 0; i < 300; ++i) {
    std::unique_ptr<TcpStream> s;
    ASSERT_EQ(connectTcp(kLoopbackAddress, server_->port(), kDenied, 5000, &s), RC_OK);
    silent.push_back(std::move(s));
    if (i % 16 == 0) pump(1);
  }
  for (int i = 0; i < 50; ++i) pump(5);
  EXPECT_LE(server_->connectionCount(), ClientServer::kMaxRefusals)
      << "refused at the accept, not at their first word, and never held in numbers";
  EXPECT_EQ(awaitReply(*silent.front(), 1000), "ERR 32");
  EXPECT_EQ(awaitReply(*silent.front(), 1000), kClosed) << "ended from our side after it";
  EXPECT_EQ(awaitReply(*silent.back(), 1000), kClosed) << "beyond the refusals held: no word";
  auto manager = login("manager");
  EXPECT_EQ(ask(*manager, "TIME NOW\r"), formatWireTime(clock_.nowMs()));

  // A refused peer that stays silent is let go once the drain time has passed.
  clock_.advance(ClientConnection::kDrainMs);
  pump(5);
  EXPECT_EQ(server_->connectionCount(), 1u) << "only the manager";

  // One that sends at once still reads its refusal: no reset swallows it.
  for (int round = 0; round < 20; ++round) {
    std::unique_ptr<TcpStream> eager;
    ASSERT_EQ(connectTcp(kLoopbackAddress, server_->port(), kDenied, 5000, &eager), RC_OK);
    ASSERT_EQ(sendAll(*eager, "USR NAME manager\r", 5000), RC_OK);
    EXPECT_EQ(awaitReply(*eager), "ERR 32") << "round " << round;
  }
}

TEST_F(ClientServerTest, RemotePeersLeaveRoomForLocalClients) {
  startServer("ALLOW 127.0.0.0/8\n");
  std::vector<std::unique_ptr<TcpStream>> remote;
  for (int i = 0; i < 300; ++i) {
    std::unique_ptr<TcpStream> s;
    ASSERT_EQ(connectTcp(kLoopbackAddress, server_->port(), 0x7F000002, 5000, &s), RC_OK);
    remote.push_back(std::move(s));
    if (i % 16 == 0) pump(1);
  }
  for (int i = 0; i < 50; ++i) pump(5);
  EXPECT_EQ(server_->connectionCount(),
            ClientServer::kMaxConnections - ClientServer::kLocalReserve);
  std::vector<std::unique_ptr<TcpStream>> local;
  for (size_t i = 0; i < ClientServer::kLocalReserve; ++i) local.push_back(login("manager"));
  EXPECT_EQ(server_->connectionCount(), ClientServer::kMaxConnections);
  EXPECT_EQ(ask(*local.back(), "TIME NOW\r"), formatWireTime(clock_.nowMs()));
}

TEST_F(ClientServerTest, ConnectionsThatCompleteNoRequestAreClosedAfterTheIdleLimit) {
  auto silent = connect();
  auto trickle = connect();
  auto active = login("manager");
  ASSERT_EQ(server_->connectionCount(), 3u);
  ASSERT_EQ(sendAll(*trickle, "TIME", 5000), RC_OK);  // a request begun but never ended
  clock_.advance(ClientServer::kIdleLimitMs / 2);
  EXPECT_EQ(ask(*active, "TIME NOW\r"), formatWireTime(clock_.nowMs()));
  clock_.advance(ClientServer::kIdleLimitMs / 2);
  pump(5);
  pump(5);
  EXPECT_EQ(server_->connectionCount(), 1u) << "the silent and the trickling one are closed";
  EXPECT_EQ(awaitReply(*silent, 1000), kClosed);
  EXPECT_EQ(awaitReply(*trickle, 1000), kClosed);
  EXPECT_EQ(ask(*active, "TIME NOW\r"), formatWireTime(clock_.nowMs()))
      << "its idle time started again with its last request";
}

TEST_F(ClientServerTest, FailedLoginsAreLoggedSlowedAndEndTheConnection) {
  server_.reset();
  dir_.write("user", "username=manager\npassword=s3cret\nlevel=7\n");
  startServer();
  auto guesser = connect();
  EXPECT_EQ(ask(*guesser, "USR NAME manager\r"), "");
  for (uint32_t attempt = 1; attempt <= ClientServer::kMaxLoginFailures; ++attempt) {
    SCOPED_TRACE(attempt);
    EXPECT_EQ(ask(*guesser, "USR PASS guess" + std::to_string(attempt) + "\r"), "");
    ASSERT_EQ(sendAll(*guesser, "TIME NOW\r", 5000), RC_OK);
    EXPECT_EQ(awaitReply(*guesser, 300), kNoReply) << "the refusal is held back";
    clock_.advance(ClientServer::kLoginFailureDelayMs);
    EXPECT_EQ(awaitReply(*guesser), "ERR 33");
    ASSERT_EQ(log_.infos.size(), attempt);
    EXPECT_EQ(log_.infos.back(), "login failed for \"manager\" from 127.0.0.1");
  }
  EXPECT_EQ(awaitReply(*guesser, 1000), kClosed) << "closed after the last allowed failure";

  auto odd = connect();
  EXPECT_EQ(ask(*odd, "USR NAME x\"\ny\r"), "");
  EXPECT_EQ(askFailing(*odd, "ACC\r"), "ERR 33");
  EXPECT_EQ(log_.infos.back(), "login failed for \"x??y\" from 127.0.0.1")
      << "the peer's text cannot forge a log line";

  auto owner = connect();
  EXPECT_EQ(ask(*owner, "USR NAME manager\r"), "");
  EXPECT_EQ(ask(*owner, "USR PASS s3cret\r"), "");
  EXPECT_EQ(ask(*owner, "TIME NOW\r"), formatWireTime(clock_.nowMs())) << "not held";
  EXPECT_EQ(log_.infos.size(), ClientServer::kMaxLoginFailures + 1);
}

TEST_F(ClientServerTest, PollReturnsWithinItsTimeoutAndEarlyOnARequest) {
  auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(server_->pollClients(150), RC_OK);
  auto quiet = std::chrono::steady_clock::now() - start;
  EXPECT_GE(quiet, std::chrono::milliseconds(140));
  EXPECT_LT(quiet, std::chrono::milliseconds(2000));

  auto c = login("manager");
  ASSERT_EQ(sendAll(*c, "TIME NOW\r", 5000), RC_OK);
  ASSERT_EQ(c->waitReady(false, 0), RC_TIMEOUT);
  start = std::chrono::steady_clock::now();
  for (int i = 0; i < 10 && c->waitReady(false, 0) == RC_TIMEOUT; ++i) pump(60000);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5))
      << "a served request must end the wait";
}

TEST_F(ClientServerTest, RequestThatNeverEndsIsCutOffAt64KiB) {
  auto endless = login("manager");
  std::string filler(8 * 1024, 'A');
  std::string reply;
  int sent = 0;
  // Keep feeding until the server gives up; it must not answer and must not grow without bound.
  for (; sent < 40 && reply != kClosed; ++sent) {
    ResultCode rc = sendAll(*endless, filler, 2000);
    if (rc != RC_OK) break;
    reply = awaitReply(*endless, 100);
    ASSERT_TRUE(reply == kNoReply || reply == kClosed) << reply.substr(0, 40);
  }
  if (reply != kClosed) reply = awaitReply(*endless, 2000);
  EXPECT_EQ(reply, kClosed);
  EXPECT_LE(sent * filler.size(), size_t{64 * 1024} + 3 * filler.size());

  auto other = login("manager");
  EXPECT_EQ(ask(*other, "TIME NOW\r"), formatWireTime(clock_.nowMs()));
}

TEST_F(ClientServerTest, ClientThatNeverReadsCannotStallTheServer) {
  auto lazy = login("manager");
  auto busy = login("manager");
  // A long page per request (50 status records), and many requests, never read.
  StatusValues values;
  for (int i = 0; i < 60; ++i) ASSERT_EQ(logs_.appendStatus(clock_.nowMs(), values), RC_OK);
  auto start = std::chrono::steady_clock::now();
  // One request per 1024-byte receive, so that every pass answers one.
  std::string request = "LOG NXT 2 0";
  request.resize(ClientConnection::kReceiveChunk - 1, ' ');
  request += '\r';
  for (int round = 0; round < 16384; ++round) {
    if (sendAll(*lazy, request, 0) != RC_OK) break;
    pump(0);
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20))
      << "each pass must stay within its timeout";
  EXPECT_EQ(ask(*busy, "TIME NOW\r"), formatWireTime(clock_.nowMs())) << "others are still served";

  // A second one that fills up the same way and then goes away is removed at once, not when
  // the stall runs out.
  auto vanishing = login("manager");
  for (int round = 0; round < 16384; ++round) {
    if (sendAll(*vanishing, request, 0) != RC_OK) break;
    pump(0);
  }
  size_t with_vanishing = server_->connectionCount();
  vanishing.reset();
  for (int i = 0; i < 50 && server_->connectionCount() == with_vanishing; ++i) pump(10);
  EXPECT_EQ(server_->connectionCount(), with_vanishing - 1) << "a reset peer lingers";

  size_t before = server_->connectionCount();
  clock_.advance(ClientServer::kSendStallMs + 1000);
  pump(5);
  pump(5);
  EXPECT_EQ(server_->connectionCount(), before - 1) << "the stalled connection is closed";
  EXPECT_EQ(ask(*busy, "TIME NOW\r"), formatWireTime(clock_.nowMs()));
}

TEST_F(ClientServerTest, ConnectionsBeyondTheCapAreClosed) {
  std::vector<std::unique_ptr<TcpStream>> clients;
  for (size_t i = 0; i < ClientServer::kMaxConnections + 20; ++i) {
    std::unique_ptr<TcpStream> s;
    ASSERT_EQ(connectTcp(kLoopbackAddress, server_->port(), kAnyAddress, 5000, &s), RC_OK);
    clients.push_back(std::move(s));
    if (i % 16 == 0) pump(1);
  }
  for (int i = 0; i < 100; ++i) pump(5);
  EXPECT_EQ(server_->connectionCount(), ClientServer::kMaxConnections);
  // The last ones were taken and closed, not left hanging.
  EXPECT_EQ(awaitReply(*clients.back(), 500), kClosed);
  // Connection 200 sits beyond the 64 a select() would watch; it is served all the same.
  EXPECT_EQ(ask(*clients[200], "USR NAME manager\r"), "");
  EXPECT_EQ(ask(*clients[200], "TIME NOW\r"), formatWireTime(clock_.nowMs()));

  clients.resize(10);
  for (int i = 0; i < 20; ++i) pump(5);
  EXPECT_EQ(server_->connectionCount(), 10u) << "closed peers are removed";
  auto late = login("manager");
  EXPECT_EQ(ask(*late, "TIME NOW\r"), formatWireTime(clock_.nowMs()));
}

TEST_F(ClientServerTest, RandomBytesNeverHurtTheServer) {
  std::mt19937 random(20021105);
  for (int round = 0; round < 40; ++round) {
    auto c = connect();
    int chunks = 1 + static_cast<int>(random() % 20);
    for (int k = 0; k < chunks; ++k) {
      std::string bytes(1 + random() % 3000, '\0');
      for (char& b : bytes) b = static_cast<char>(random() % 256);
      if (random() % 3 == 0) bytes.back() = '\r';
      if (sendAll(*c, bytes, 1000) != RC_OK) break;
      pump(1);
    }
    (void)awaitReply(*c, 20);  // whatever it says, if anything
    c.reset();
    for (int i = 0; i < 400 && server_->connectionCount() > 0; ++i) pump(5);
    ASSERT_EQ(server_->connectionCount(), 0u) << "round " << round << ": a closed peer lingers";
  }
  auto normal = login("manager");
  EXPECT_EQ(ask(*normal, "DEV STATUS_CONNECT\r"), "1");
}

}  // namespace
}  // namespace gw
