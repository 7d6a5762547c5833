// monview against a real monsvc, porter and simulated UPS, under the offscreen platform: what
// the status window shows through a power failure, its return and a pulled cable; the second
// copy that raises the first; and the ordered end on SIGTERM. The window is read through the
// state file monview writes after every gauge tick (GW_MONVIEW_STATE).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <utility>

#include "common/line_file.h"
#include "common/time_text.h"
#include "platform/clock.h"
#include "platform/local_socket.h"
#include "platform/socket.h"
#include "testing/ups_suite_run.h"

namespace gw {
namespace {

constexpr int kConnectMs = 40000;  // porter's detection and the first polls on a loaded machine
constexpr int kChangeMs = 20000;   // a service poll, a client poll and a tick, with slack

using State = std::map<std::string, std::string>;

class MonviewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(run.startSimulator(&error)) << error;
    // A long shutdown delay keeps the countdown running for the whole test.
    ASSERT_TRUE(run.startService("powerfail.shutdown.happen.delay=600\n"
                                 "start.sound.restore.max count=0\n",
                                 &error))
        << error;
    ASSERT_TRUE(run.dir.copyProgram("monview"));
  }
  void TearDown() override {
    if (monview && monview->running()) monview->terminate();
  }

  SpawnOptions monviewOptions() const {
    SpawnOptions o;
    o.program = run.dir.file("monview");
    o.extra_env = {{"QT_QPA_PLATFORM", "offscreen"},
                   {"XDG_RUNTIME_DIR", runtime.path()},
                   {"GRIDWATCH_PORT", std::to_string(run.port())},
                   {"GW_MONVIEW_STATE", run.dir.file("state")},
                   {"GW_MONVIEW_GRAB", run.dir.file("status.png")}};
    return o;
  }
  void startMonview() {
    ASSERT_EQ(spawnProcess(monviewOptions(), &monview), RC_OK);
  }

  State state() const {
    State s;
    for (const std::string& line : splitLines(run.dir.read("state"))) {
      size_t eq = line.find('=');
      if (eq != std::string::npos) s[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return s;
  }
  // Waits until the state satisfies `done`; the last state seen is kept in `last`.
  bool waitState(const std::function<bool(const State&)>& done, int timeout_ms) {
    return UpsSuiteRun::waitUntil(
        [&] {
          last = state();
          return done(last);
        },
        timeout_ms);
  }
  static bool shows(const State& s, const std::string& message) {
    auto it = s.find("message");
    return it != s.end() && it->second == message;
  }
  std::string dump() const { return run.dir.read("state"); }

  UpsSuiteRun run;
  TempDir runtime;  // the user's runtime directory, where the single-instance channel lives
  std::unique_ptr<ChildProcess> monview;
  State last;
};

// "02:00 colour=0000ff level=0" gives 120.
int countdownSeconds(const State& s) {
  auto it = s.find("gauge8");
  if (it == s.end() || it->second.size() < 5) return -1;
  return std::atoi(it->second.substr(0, 2).c_str()) * 60 + std::atoi(it->second.substr(3, 2).c_str());
}

TEST_F(MonviewTest, PowerFailureRestoreAndPulledCable) {
  startMonview();
  ASSERT_TRUE(waitState(
      [](const State& s) {
        // The measurements come a moment before the properties of the same poll.
        return s.count("gauge0") && s.at("gauge0").rfind("888", 0) != 0 &&
               s.at("model") != "" && s.at("model") != "Unknown";
      },
      kConnectMs))
      << "the UPS never showed up:\n"
      << dump();
  EXPECT_NE(last["gauge0"].find("colour=00ff00"), std::string::npos) << dump();

  EXPECT_EQ(run.simulator("mains fail"), "OK mains off");
  ASSERT_TRUE(waitState([](const State& s) { return shows(s, "UPS power failure !"); }, kChangeMs))
      << dump();
  EXPECT_NE(last["gauge0"].find("colour=0000ff"), std::string::npos) << "input in red\n" << dump();
  EXPECT_NE(last["gauge8"].find("colour=0000ff"), std::string::npos) << dump();
  const int first = countdownSeconds(last);
  EXPECT_GT(first, 0);
  EXPECT_LE(first, 600);
  ASSERT_TRUE(waitState([&](const State& s) { return countdownSeconds(s) <= first - 2; }, 5000))
      << "the countdown does not run:\n"
      << dump();
  if (const char* out = std::getenv("GW_SCREENSHOT_OUT")) {
    std::filesystem::copy_file(run.dir.file("status.png"), out,
                               std::filesystem::copy_options::overwrite_existing);
  }

  EXPECT_EQ(run.simulator("mains restore"), "OK mains on");
  ASSERT_TRUE(waitState([](const State& s) { return shows(s, "UPS power restore."); }, kChangeMs))
      << dump();
  const auto restored = std::chrono::steady_clock::now();
  ASSERT_TRUE(waitState([](const State& s) { return shows(s, "UPS OK."); }, 8000)) << dump();
  const auto ok_after = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now() - restored)
                            .count();
  // The restore was first seen within a tick of its showing, the OK within a tick of its own.
  EXPECT_GE(ok_after, 3900);
  EXPECT_LE(ok_after, 6500);

  EXPECT_EQ(run.simulator("cable pull").rfind("OK", 0), 0u);
  ASSERT_TRUE(waitState(
      [](const State& s) { return shows(s, "UPS communication can't establish."); }, 40000))
      << dump();
  for (int i = 0; i < 10; ++i) {
    const std::string& g = last["gauge" + std::to_string(i)];
    EXPECT_NE(g.find("colour=c0c0c0"), std::string::npos) << i << ": " << g;
    EXPECT_EQ(g.find_first_not_of("8:./"), g.find(' ')) << "only eights: " << g;
  }
  EXPECT_EQ(last["model"], "");
}

// Width and height of a PNG file, from its header; 0 and 0 when it is not one.
std::pair<int, int> pngSize(const std::string& bytes) {
  if (bytes.size() < 24 || bytes.compare(1, 3, "PNG") != 0) return {0, 0};
  auto be = [&](size_t at) {
    int v = 0;
    for (size_t i = 0; i < 4; ++i) v = (v << 8) | static_cast<unsigned char>(bytes[at + i]);
    return v;
  };
  return {be(16), be(20)};
}

TEST_F(MonviewTest, EditingWindowsOpenThroughTheChannelWithTheirData) {
  // Two items a year ahead, so that the service keeps them, stored as a manager would.
  const std::string year = std::to_string(toLocalTime(systemClock().nowMs()).year + 1);
  {
    std::unique_ptr<TcpStream> s;
    ASSERT_TRUE(UpsSuiteRun::waitUntil(
        [&] { return connectTcp(kLoopbackAddress, run.port(), kAnyAddress, 1000, &s) == RC_OK; },
        20000));
    for (const std::string& r :
         {std::string("USR NAME manager\r"), std::string("USR PASS\r"),
          "SCH SET 1 2 " + year + "/03/04 4 22:30:00 " + year + "/03/05 5 06:00:00\n3 1 " + year +
              "/01/08 5 23:00:00 " + year + "/01/08 5 23:00:00\n\r"}) {
      std::string reply;
      ASSERT_EQ(sendAll(*s, r, 5000), RC_OK);
      ASSERT_EQ(receiveUntil(*s, '\r', 10000, &reply), RC_OK);
      ASSERT_EQ(reply, "\r") << r;
    }
  }
  startMonview();
  ASSERT_TRUE(waitState([](const State& s) { return s.count("model") && s.at("model") != "Unknown" &&
                                                    s.at("model") != ""; },
                        kConnectMs))
      << dump();
  const std::string channel = runtime.file("UPS Management Client Program");
  struct Window {
    int id;
    const char* file;
    int width;
    int height;
  } windows[] = {{1005, "status-settings.png", 460, 286}, {1026, "status-upsconfig.png", 360, 336},
                 {1006, "status-schedule.png", 600, 358}, {1004, "status-log.png", 580, 428}};
  for (const Window& w : windows) {
    std::unique_ptr<NonBlockingStream> s;
    ASSERT_EQ(connectLocal(channel, &s), RC_OK);
    ASSERT_EQ(sendAll(*s, "OPEN " + std::to_string(w.id) + "\n", 20, 100), RC_OK);
    std::string answer;
    ASSERT_TRUE(UpsSuiteRun::waitUntil(
        [&] {
          char buf[16];
          size_t got = 0;
          if (s->receive(buf, sizeof buf, &got) == RC_OK) answer.append(buf, got);
          return answer.find('\n') != std::string::npos;
        },
        3000));
    EXPECT_EQ(answer, "OK\n");
  }
  for (const Window& w : windows) {
    std::pair<int, int> size;
    EXPECT_TRUE(UpsSuiteRun::waitUntil(
        [&] { return (size = pngSize(run.dir.read(w.file))) == std::pair{w.width, w.height}; },
        5000))
        << w.file << ": " << size.first << "x" << size.second;
  }
  // The pictures for the documentation, once every window has its data.
  if (const char* out = std::getenv("GW_SCREENSHOT_DIR")) {
    std::this_thread::sleep_for(std::chrono::milliseconds(3000));
    for (const Window& w : windows) {
      std::filesystem::copy_file(run.dir.file(w.file), std::string(out) + "/" + w.file,
                                 std::filesystem::copy_options::overwrite_existing);
    }
  }
}

TEST_F(MonviewTest, SecondCopyRaisesTheFirstAndTermEndsInOrder) {
  startMonview();
  ASSERT_TRUE(waitState([](const State& s) { return s.count("raised") > 0; }, 15000)) << dump();
  ASSERT_EQ(last["raised"], "0");
  ASSERT_TRUE(std::filesystem::is_directory(run.dir.file("127.0.0.1")));

  std::unique_ptr<ChildProcess> second;
  const auto started = std::chrono::steady_clock::now();
  ASSERT_EQ(spawnProcess(monviewOptions(), &second), RC_OK);
  int code = -1;
  ASSERT_EQ(second->wait(5000, &code), RC_OK);
  const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - started)
                        .count();
  EXPECT_EQ(code, 0);
  EXPECT_LT(took, 1000);
  EXPECT_TRUE(waitState([](const State& s) { return s.count("raised") && s.at("raised") == "1"; }, 3000))
      << "the first copy was not raised:\n"
      << dump();
  EXPECT_TRUE(monview->running());

  const auto stopping = std::chrono::steady_clock::now();
  monview->requestStop();
  ASSERT_EQ(monview->wait(5000, &code), RC_OK) << "still running 5 s after SIGTERM";
  EXPECT_EQ(code, 0);
  EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                  stopping)
                .count(),
            5000);
  EXPECT_FALSE(std::filesystem::exists(run.dir.file("127.0.0.1"))) << "the cache directory stays";
}

}  // namespace
}  // namespace gw
