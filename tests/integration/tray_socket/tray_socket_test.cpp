// monsvc's notification socket with a real service, driver and simulated UPS: what a tray hears
// through a power failure, a tray that never reads, and who may stop the service through it.
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/local_socket.h"
#include "platform/socket.h"
#include "protocol/tray_wire.h"
#include "testing/ups_suite_run.h"

namespace gw {
namespace {

constexpr int kEventMs = 20000;  // a service poll and detection on a loaded machine, with slack

// One tray's end of the socket, read line by line.
class Subscriber {
 public:
  bool connect(const std::string& path, int timeout_ms) {
    return UpsSuiteRun::waitUntil([&] { return connectLocal(path, &stream_) == RC_OK; },
                                  timeout_ms);
  }
  // The next line, without its line feed; "<closed>" at the end of the stream, "" on time-out.
  std::string line(int timeout_ms) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    std::string text;
    while (!lines_.takeLine(&text)) {
      char buffer[512];
      size_t got = 0;
      ResultCode rc = stream_->receive(buffer, sizeof buffer, &got);
      if (rc == RC_OK) {
        if (!lines_.append(std::string_view(buffer, got))) return "<too long>";
        continue;
      }
      if (rc != RC_TIMEOUT) return "<closed>";
      if (std::chrono::steady_clock::now() > deadline) return "";
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return text;
  }
  void send(const std::string& text) {
    ASSERT_EQ(sendAll(*stream_, text, 10, 100), RC_OK);
  }

 private:
  std::unique_ptr<NonBlockingStream> stream_;
  TrayLineBuffer lines_;
};

class TraySocketTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(run.startSimulator(&error)) << error;
    ASSERT_TRUE(run.startService("powerfail.shutdown.happen.delay=600\n", &error)) << error;
  }
  std::string socketPath() const { return run.dir.file(std::string(kNotifySocketName)); }

  // Reads lines until one equals `wanted`; the lines read are kept in `heard`.
  bool hear(Subscriber& s, const std::string& wanted, int timeout_ms) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (std::chrono::steady_clock::now() < deadline) {
      std::string l = s.line(200);
      if (l.empty()) continue;
      heard.push_back(l);
      if (l == wanted) return true;
      if (l == "<closed>") return false;
    }
    return false;
  }
  std::string heardText() const {
    std::string out;
    for (const std::string& l : heard) out += l + "\n";
    return out;
  }

  // The client port's answer time to a request that needs no login.
  long clientRoundTripMs() {
    std::unique_ptr<TcpStream> client;
    if (connectTcp(kLoopbackAddress, run.port(), kAnyAddress, 5000, &client) != RC_OK) return -1;
    const auto t = std::chrono::steady_clock::now();
    std::string reply;
    if (sendAll(*client, "TIME NOW\r", 5000) != RC_OK ||
        receiveUntil(*client, '\r', 5000, &reply) != RC_OK) {
      return -1;
    }
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                 std::chrono::steady_clock::now() - t)
                                 .count());
  }

  UpsSuiteRun run;
  std::vector<std::string> heard;
};

TEST_F(TraySocketTest, ATrayHearsTheStateThenThePowerFailureAndItsEndInOrder) {
  Subscriber mute;  // connected all along and never read
  ASSERT_TRUE(mute.connect(socketPath(), 20000)) << "no notification socket";
  Subscriber tray;
  ASSERT_TRUE(tray.connect(socketPath(), 5000));
  const std::string first = tray.line(5000);
  ASSERT_EQ(first.rfind("ICON 120 ", 0), 0u) << first;
  heard.push_back(first);
  if (first != "ICON 120 UPS Communication established.") {
    ASSERT_TRUE(hear(tray, "EVENT 3", 40000)) << heardText();
  }
  heard.clear();

  for (int round = 0; round < 3; ++round) {
    ASSERT_EQ(run.simulator("mains fail"), "OK mains off");
    ASSERT_TRUE(hear(tray, "EVENT 4", kEventMs)) << heardText();
    ASSERT_EQ(run.simulator("mains restore"), "OK mains on");
    ASSERT_TRUE(hear(tray, "EVENT 5", kEventMs)) << heardText();
  }
  EXPECT_EQ(heardText(), "EVENT 4\nEVENT 5\nEVENT 4\nEVENT 5\nEVENT 4\nEVENT 5\n");
  const long round_trip = clientRoundTripMs();
  EXPECT_GE(round_trip, 0);
  EXPECT_LT(round_trip, 1000) << "clients are still served at once";

  Subscriber later;
  ASSERT_TRUE(later.connect(socketPath(), 5000));
  EXPECT_EQ(later.line(5000), "ICON 120 UPS Power restore to normal.");
  EXPECT_EQ(mute.line(1000).rfind("ICON 120 ", 0), 0u) << "what the mute one was sent is whole";
}

TEST_F(TraySocketTest, ExitFromTheServicesOwnUserStopsItAndItsFilesAreWritten) {
  Subscriber tray;
  ASSERT_TRUE(tray.connect(socketPath(), 20000));
  ASSERT_EQ(tray.line(5000).rfind("ICON ", 0), 0u);
  for (const char* name : {"schedule", "access", "user"}) ASSERT_FALSE(run.dir.exists(name)) << name;
  const auto asked = std::chrono::steady_clock::now();
  tray.send("EXIT\n");
  ASSERT_TRUE(run.waitForServiceExit(10000)) << "the service did not stop";
  const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - asked)
                        .count();
  EXPECT_LT(took, 5000);
  EXPECT_EQ(tray.line(2000), "<closed>");
  for (const char* name : {"policy", "protect", "schedule", "access", "user"}) {
    EXPECT_TRUE(run.dir.exists(name)) << name << " written at the stop";
  }
  EXPECT_FALSE(run.dir.exists(std::string(kNotifySocketName))) << "the socket goes with it";
}

TEST_F(TraySocketTest, ExitFromAnotherUserIsRefused) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
  const passwd* nobody = ::getpwnam("nobody");
  ASSERT_NE(nobody, nullptr);
  ASSERT_EQ(::chmod(run.dir.path().c_str(), 0755), 0);  // so that nobody reaches the socket
  ASSERT_TRUE(UpsSuiteRun::waitUntil([&] { return run.dir.exists("notify"); }, 20000));

  int answer[2];
  ASSERT_EQ(::pipe(answer), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::close(answer[0]);
    std::string reply = "could not become nobody";
    if (::setgid(nobody->pw_gid) == 0 && ::setuid(nobody->pw_uid) == 0) {
      Subscriber tray;
      if (!tray.connect(socketPath(), 5000)) {
        reply = "could not connect";
      } else {
        reply = tray.line(5000) + "|";
        tray.send("EXIT\n");
        reply += tray.line(5000);
      }
    }
    (void)!::write(answer[1], reply.data(), reply.size());
    ::_exit(0);
  }
  ::close(answer[1]);
  std::string reply;
  char buffer[256];
  for (ssize_t n; (n = ::read(answer[0], buffer, sizeof buffer)) > 0;) reply.append(buffer, n);
  ::close(answer[0]);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);

  EXPECT_EQ(reply.substr(reply.find('|') + 1), "ERR 33") << reply;
  EXPECT_EQ(reply.rfind("ICON ", 0), 0u) << "anyone may watch: " << reply;
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_TRUE(run.serviceRunning()) << "refused means the service runs on";
}

}  // namespace
}  // namespace gw
