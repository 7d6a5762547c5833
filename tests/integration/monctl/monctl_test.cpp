// monctl against a real monsvc and porter (no UPS: media type 0) in a scratch data directory,
// over loopback on a free port.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "common/line_file.h"
#include "platform/process.h"
#include "platform/socket.h"
#include "testing/free_port.h"
#include "testing/service_process.h"
#include "testing/temp_dir.h"

namespace gw {
namespace {

struct MonctlRun {
  int exit_code = -1;
  std::string out;
  std::string err;
};

class MonctlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* bin = std::getenv("GW_BIN_DIR");
    ASSERT_NE(bin, nullptr) << "GW_BIN_DIR is not set";
    monctl_ = std::string(bin) + "/monctl";
    ASSERT_TRUE(dir_.copyProgram("monsvc")) << "monsvc not built";
    ASSERT_TRUE(dir_.copyProgram("porter")) << "porter not built";
    // Media type 0: porter runs with no UPS and never touches a port.
    dir_.write("policy", "service.media type=0\n");
    dir_.write("event", "2026/12/01 10:00:00 000\r\n2026/12/01 10:00:03 004\r\n");
    port_ = freeLoopbackPort();
    ASSERT_NE(port_, 0);
    SpawnOptions o = serviceOptions(dir_, port_);
    o.new_process_group = true;  // so that ending it also ends its porter
    ASSERT_EQ(spawnProcess(o, &service_), RC_OK);
    ASSERT_TRUE(waitForClientPort(*service_, port_, 20000))
        << "monsvc did not listen on port " << port_;
  }

  void TearDown() override {
    if (service_) service_->terminate();
  }

  // Runs monctl with the service's port in its environment; stderr goes to a file.
  MonctlRun monctl(const std::vector<std::string>& args, uint16_t port = 0) {
    SpawnOptions o;
    o.program = "/bin/sh";
    const std::string err_file = dir_.file("monctl.err");
    o.args = {"-c", "exec \"$0\" \"$@\" 2>'" + err_file + "'", monctl_};
    o.args.insert(o.args.end(), args.begin(), args.end());
    o.extra_env = {{"GRIDWATCH_PORT", std::to_string(port != 0 ? port : port_)}};
    o.pipe_stdout = true;
    MonctlRun run;
    std::unique_ptr<ChildProcess> child;
    if (spawnProcess(o, &child) != RC_OK) {
      ADD_FAILURE() << "monctl could not be started";
      return run;
    }
    std::unique_ptr<Pipe> out = child->takeStdout();
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    char buf[4096];
    for (;;) {
      size_t got = 0;
      ResultCode rc = out->read(buf, sizeof buf, 1000, &got);
      if (rc == RC_OK) run.out.append(buf, got);
      if (rc == RC_PIPE_BROKEN) break;
      if (std::chrono::steady_clock::now() > deadline) {
        child->terminate();
        ADD_FAILURE() << "monctl did not finish";
        return run;
      }
    }
    if (child->wait(30000, &run.exit_code) != RC_OK) {
      child->terminate();
      ADD_FAILURE() << "monctl did not exit";
    }
    run.err = dir_.read("monctl.err");
    return run;
  }

  // One request on a connection of its own, logged in as the manager; the reply without its
  // carriage return.
  std::string askAsManager(const std::string& request) {
    std::unique_ptr<TcpStream> s;
    if (connectTcp(kLoopbackAddress, port_, kAnyAddress, 5000, &s) != RC_OK) return "<no connect>";
    std::string reply;
    for (const std::string& r :
         {std::string("USR NAME manager\r"), std::string("USR PASS\r"), request}) {
      reply.clear();
      if (sendAll(*s, r, 5000) != RC_OK || receiveUntil(*s, '\r', 10000, &reply) != RC_OK) {
        return "<no reply>";
      }
    }
    reply.pop_back();
    return reply;
  }

  static std::string lineWith(const std::string& text, const std::string& start) {
    for (const std::string& line : splitLines(text)) {
      if (line.rfind(start, 0) == 0) return line;
    }
    return "";
  }

  TempDir dir_;
  std::string monctl_;
  uint16_t port_ = 0;
  std::unique_ptr<ChildProcess> service_;
};

TEST_F(MonctlTest, StatusWithoutAUpsShowsWhyEachValueIsMissing) {
  MonctlRun r = monctl({"status"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  std::vector<std::string> lines = splitLines(r.out);
  ASSERT_EQ(lines.size(), 14u) << r.out;
  EXPECT_EQ(lines[0].rfind("STATUS_INVOLT", 0), 0u) << lines[0];
  EXPECT_EQ(lines[13].rfind("STATUS_BEEP", 0), 0u) << lines[13];
  std::string connect = lineWith(r.out, "STATUS_CONNECT");
  std::string volts = lineWith(r.out, "STATUS_INVOLT");
  EXPECT_NE(volts.find("no UPS (8)"), std::string::npos) << r.out;
  EXPECT_NE(connect.find("no UPS (8)"), std::string::npos) << r.out;
}

TEST_F(MonctlTest, SettingsAndPoliciesRoundTrip) {
  MonctlRun r = monctl({"get", "service.polling rate", "powerfail.sound.happen.max count"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out, "service.polling rate=3000\npowerfail.sound.happen.max count=4294967295\n");

  r = monctl({"set", "service.polling rate=5000", "powerfail.shutdown.happen.delay=-1"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out, "service.polling rate=5000\npowerfail.shutdown.happen.delay=4294967295\n");
  r = monctl({"get", "service.polling rate", "powerfail.shutdown.happen.delay"});
  EXPECT_EQ(r.out, "service.polling rate=5000\npowerfail.shutdown.happen.delay=4294967295\n");

  r = monctl({"get", "service.no such key", "service.polling rate"});
  EXPECT_EQ(r.exit_code, 30) << r.err;
  EXPECT_EQ(r.out, "service.polling rate=5000\n") << "the other keys are still read";

  r = monctl({"set", "powerfail.shutdown.happen.delay=soon"});
  EXPECT_EQ(r.exit_code, 30) << "the policy keeps its number and says yes; monctl notices";
  EXPECT_NE(r.err.find("4294967295"), std::string::npos) << r.err;
}

TEST_F(MonctlTest, EventLogInThePolicysWords) {
  // Records of an earlier run (a service without a UPS never records its start: the first poll
  // resets every event), followed by what this run records about the missing UPS.
  MonctlRun r;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  do {
    r = monctl({"log", "events"});
    if (r.out.find("can't establish") != std::string::npos) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
  } while (std::chrono::steady_clock::now() < deadline);
  ASSERT_EQ(r.exit_code, 0) << r.err;
  std::vector<std::string> lines = splitLines(r.out);
  ASSERT_EQ(lines.size(), 3u) << r.out;
  EXPECT_EQ(lines[0], "2026/12/01 10:00:00  UPS service started.");
  EXPECT_EQ(lines[1], "2026/12/01 10:00:03  UPS power failure.");
  EXPECT_EQ(lines[2].substr(19), "  UPS communication can't establish.") << lines[2];

  // The texts come from the service's policy, not from monctl's own list.
  r = monctl({"set", "start.record.happen.content=Protection is on."});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  r = monctl({"log", "events", "--count", "3"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(splitLines(r.out).at(0), "2026/12/01 10:00:00  Protection is on.") << r.out;
  r = monctl({"log", "events", "--count", "1"});
  EXPECT_EQ(splitLines(r.out).size(), 1u) << r.out;

  r = monctl({"log", "status"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out, "no records\n") << "no UPS, no measurements";
  r = monctl({"schedule"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out, "no scheduled items\n");
}

TEST_F(MonctlTest, ExitCodesOfRefusalsAndFailures) {
  MonctlRun r = monctl({"--user", "normal(read only)", "selftest", "10"});
  EXPECT_EQ(r.exit_code, 33) << r.err;
  EXPECT_NE(r.err.find("access denied (33)"), std::string::npos) << r.err;

  r = monctl({"--user", "normal(read only)", "set", "service.polling rate=7000"});
  EXPECT_EQ(r.exit_code, 33) << "a change below the manager level is not a silent success";
  r = monctl({"get", "service.polling rate"});
  EXPECT_EQ(r.out, "service.polling rate=3000\n");

  r = monctl({"--user", "nobody", "status"});
  EXPECT_EQ(r.exit_code, 33) << r.err;
  EXPECT_TRUE(r.out.empty()) << r.out;

  // The exit code is the service's own answer to the request.
  std::string answer = askAsManager("DEV CMD_SELFTEST 10\r");
  ASSERT_EQ(answer.rfind("ERR ", 0), 0u) << "no UPS to test, yet: " << answer;
  r = monctl({"selftest", "10"});
  EXPECT_EQ(r.exit_code, std::stoi(answer.substr(4))) << r.err;
  EXPECT_NE(r.err.find("(" + answer.substr(4) + ")"), std::string::npos) << r.err;

  r = monctl({"status"}, freeLoopbackPort());
  EXPECT_EQ(r.exit_code, 21) << "nothing listens there: " << r.err;

  // A listener that never answers: the connection is made, the reply never comes.
  std::unique_ptr<TcpListener> silent;
  ASSERT_EQ(listenTcp(kLoopbackAddress, 0, &silent), RC_OK);
  auto t0 = std::chrono::steady_clock::now();
  r = monctl({"--timeout", "1", "status"}, silent->localPort());
  auto took = std::chrono::steady_clock::now() - t0;
  EXPECT_EQ(r.exit_code, 21) << r.err;
  EXPECT_LT(took, std::chrono::seconds(15)) << "--timeout bounds the wait for a reply";
}

}  // namespace
}  // namespace gw
