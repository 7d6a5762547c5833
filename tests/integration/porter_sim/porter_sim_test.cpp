// upssim and porter as real processes: porter finds the simulated UPS on the device path
// upssim prints, and its pipe protocol reports the model, firmware and converted status; a
// pulled cable makes porter detect afresh and a restored cable brings the UPS back.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/process.h"
#include "testing/pipe_line.h"
#include "testing/porter_run.h"
#include "testing/temp_dir.h"

namespace gw {
namespace {

// Porter polls every 3 s; a change shows within two polls, a re-detection within a few more.
constexpr int kChangeWaitMs = 8000;
constexpr int kStartWaitMs = 8000;

int64_t nowMs() { return systemClock().monotonicMs(); }

// One request over the control socket, one reply line back.
std::string control(const std::string& path, const std::string& command) {
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return "no socket";
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
  std::string reply;
  if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
    std::string line = command + "\n";
    if (::send(fd, line.data(), line.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(line.size())) {
      int64_t deadline = nowMs() + 3000;
      while (reply.find('\n') == std::string::npos && nowMs() < deadline) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 200) <= 0) continue;
        char buf[4096];
        ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n <= 0) break;
        reply.append(buf, static_cast<size_t>(n));
      }
    }
  }
  ::close(fd);
  if (!reply.empty() && reply.back() == '\n') reply.pop_back();
  return reply;
}

class PorterSimTest : public ::testing::Test {
 protected:
  void TearDown() override { stopAll(); }

  void stopAll() {
    // Only what this test started, by its own handle; porter first, it holds the port.
    porter_.stop();
    if (sim_) {
      sim_->requestStop();
      int code = 0;
      if (sim_->wait(3000, &code) != RC_OK) sim_->terminate();
    }
    sim_.reset();
    sim_pending_.clear();
  }

  static std::string binDir() {
    const char* bin = std::getenv("GW_BIN_DIR");
    return bin ? bin : "";
  }

  // Starts upssim with the arguments and reads the device path from its first line.
  void startSim(std::vector<std::string> args) {
    control_path_ = dir_.file("control");
    args.insert(args.end(), {"--control", control_path_, "--log", dir_.file("received.log")});
    SpawnOptions o;
    o.program = binDir() + "/upssim";
    o.args = args;
    o.pipe_stdin = true;  // stays open and silent: the terminal of a user who types nothing
    o.pipe_stdout = true;
    ASSERT_EQ(spawnProcess(o, &sim_), RC_OK) << "upssim not built in " << binDir();
    sim_in_ = sim_->takeStdin();
    sim_out_ = sim_->takeStdout();
    std::string first;
    ASSERT_TRUE(readPipeLine(*sim_out_, &sim_pending_, 5000, &first)) << "upssim said nothing";
    ASSERT_EQ(first.rfind("GRIDWATCH_COM1=", 0), 0u) << first;
    device_ = first.substr(std::strlen("GRIDWATCH_COM1="));
  }

  // Starts porter on COM1 = the simulator's device; the other ports lead nowhere.
  void startPorter() {
    ASSERT_TRUE(porter_.start(binDir() + "/porter", 2, 1,
                              {{"GRIDWATCH_COM1", device_},
                               {"GRIDWATCH_COM2", dir_.file("none2")},
                               {"GRIDWATCH_COM3", dir_.file("none3")},
                               {"GRIDWATCH_COM4", dir_.file("none4")}}))
        << "porter not built in " << binDir();
  }

  std::string sim(const std::string& command) {
    std::string reply = control(control_path_, command);
    EXPECT_EQ(reply.rfind("OK", 0), 0u) << command << " → " << reply;
    return reply;
  }

  // Waits for the first poll of a detected UPS.
  void waitConnected() { ASSERT_TRUE(porter_.waitConnected(kStartWaitMs)) << "no UPS detected"; }

  TempDir dir_;
  std::string control_path_;
  std::string device_;
  std::unique_ptr<ChildProcess> sim_;
  std::unique_ptr<Pipe> sim_in_, sim_out_;
  std::string sim_pending_;
  PorterRun porter_;
};

struct BinaryCase {
  const char* model;
  int volts;
  int hz;
};

// One model of each family, over the three line classes.
TEST_F(PorterSimTest, BinaryUpsOfEachFamilyReportsModelFirmwareAndStatus) {
  const BinaryCase cases[] = {{"KA-1", 120, 60},
                              {"KB-3", 100, 50},
                              {"KC-2", 230, 50},
                              {"KD-9", 120, 60},
                              {"KE-4", 230, 50}};
  for (const BinaryCase& c : cases) {
    SCOPED_TRACE(c.model);
    stopAll();
    startSim({"--kind", "binary", "--model", c.model});
    startPorter();
    waitConnected();
    EXPECT_EQ(porter_.ask("R12"), std::string("R12 ") + c.model);
    EXPECT_EQ(porter_.ask("R13"), "R13 3.A10");
    EXPECT_EQ(porter_.ask("R16"), "R16 " + std::to_string(c.volts));
    EXPECT_EQ(porter_.ask("R21"), "R21 1200");
    EXPECT_NEAR(replyValue(porter_.ask("S0")), c.volts * 100, 300) << "input voltage";
    EXPECT_NEAR(replyValue(porter_.ask("S1")), c.volts * 100, 300) << "output voltage";
    EXPECT_NEAR(replyValue(porter_.ask("S2")), 10000, 300) << "capacity";
    EXPECT_NEAR(replyValue(porter_.ask("S3")), 2500, 400) << "load";
    EXPECT_NEAR(replyValue(porter_.ask("S4")), 3000, 200) << "temperature";
    EXPECT_NEAR(replyValue(porter_.ask("S5")), c.hz * 100, 40) << "frequency";
    EXPECT_GT(replyValue(porter_.ask("S6")), 0) << "backup time";
    EXPECT_EQ(porter_.ask("S7"), "S7 0");
    EXPECT_EQ(porter_.ask("S8"), "S8 0");
  }
}

TEST_F(PorterSimTest, BinaryMainsFailureShutdownBytesAndCableSwap) {
  startSim({"--kind", "binary", "--model", "KD-9"});
  startPorter();
  waitConnected();
  sim("mains fail");
  EXPECT_EQ(porter_.askUntilEquals("S7", "S7 1", kChangeWaitMs), "S7 1");
  EXPECT_LT(replyValue(porter_.ask("S0")), 1000);

  // C2 120: 916 ticks of 131 ms, most significant byte first.
  sim("clear");
  EXPECT_EQ(porter_.ask("C2 120"), "C2");
  std::string received = sim("received");
  EXPECT_NE(received.find(" S\\x03\\x94W\\x0d"), std::string::npos) << received;
  EXPECT_NE(dir_.read("received.log").find(" S\\x03\\x94W\\x0d\n"), std::string::npos)
      << "the log file has it too";
  EXPECT_NE(sim("status").find(" sleep=1 "), std::string::npos);
  EXPECT_EQ(porter_.ask("C2 -1"), "C2");
  sim("mains restore");
  EXPECT_EQ(porter_.askUntilEquals("S7", "S7 0", kChangeWaitMs), "S7 0");

  sim("cable pull");
  EXPECT_EQ(porter_.askUntilEquals("S0", "S0E 8", kChangeWaitMs), "S0E 8")
      << "the failed poll leaves porter with no UPS";
  // Swapped for a 230 V model of another family while unplugged: the new detection finds it.
  sim("model KE-4");
  sim("cable plug");
  EXPECT_EQ(porter_.askUntilEquals("R12", "R12 KE-4", 12000), "R12 KE-4") << "detected again";
  EXPECT_NEAR(replyValue(porter_.askUntil(
                  "S0", [](const std::string& r) { return replyValue(r) > 0; }, kChangeWaitMs)),
              23000, 300);
}

TEST_F(PorterSimTest, TextUpsReportsModelFirmwareAndStatus) {
  startSim({"--kind", "text", "--model", "KT-1000"});
  startPorter();
  waitConnected();
  EXPECT_EQ(porter_.ask("R12"), "R12 KT-1000");
  EXPECT_EQ(porter_.ask("R13"), "R13 2.14");
  EXPECT_EQ(porter_.ask("R21"), "R21 2400");
  EXPECT_EQ(porter_.ask("S0"), "S0 23000");
  EXPECT_EQ(porter_.ask("S1"), "S1 23000");
  EXPECT_EQ(porter_.ask("S3"), "S3 2500");
  EXPECT_EQ(porter_.ask("S5"), "S5 5000");
  EXPECT_EQ(porter_.ask("S6"), "S6 2160");
  EXPECT_EQ(porter_.ask("S7"), "S7 0");
  sim("mains fail");
  EXPECT_EQ(porter_.askUntilEquals("S7", "S7 1", kChangeWaitMs), "S7 1");
  EXPECT_EQ(porter_.ask("S0"), "S0 0");
}

TEST_F(PorterSimTest, ContactUpsShowsPowerFailureAndBatteryLowAndCableLoss) {
  startSim({"--kind", "contact", "--cable", dir_.file("cable")});
  ASSERT_EQ(device_, dir_.file("cable"));
  startPorter();
  waitConnected();
  EXPECT_EQ(porter_.ask("R12"), "R12 Generic UPS");
  EXPECT_EQ(porter_.ask("S7"), "S7 0");
  EXPECT_EQ(porter_.ask("S8"), "S8 0");

  sim("mains fail");
  EXPECT_EQ(porter_.askUntilEquals("S7", "S7 1", kChangeWaitMs), "S7 1");
  EXPECT_EQ(porter_.ask("S8"), "S8 0");
  sim("battery low");
  EXPECT_EQ(porter_.askUntilEquals("S8", "S8 1", kChangeWaitMs), "S8 1");
  EXPECT_EQ(porter_.ask("S7"), "S7 1");
  sim("mains restore");
  sim("battery ok");
  EXPECT_EQ(porter_.askUntilEquals("S7", "S7 0", kChangeWaitMs), "S7 0");
  EXPECT_EQ(porter_.askUntilEquals("S8", "S8 0", kChangeWaitMs), "S8 0");

  sim("cable pull");
  EXPECT_EQ(porter_.askUntilEquals("S7", "S7E 8", kChangeWaitMs), "S7E 8");
  sim("cable plug");
  EXPECT_EQ(porter_.askUntilEquals("R12", "R12 Generic UPS", 12000), "R12 Generic UPS");
  EXPECT_EQ(porter_.askUntilEquals("S7", "S7 0", kChangeWaitMs), "S7 0");
  EXPECT_NE(dir_.read("received.log").find(" lines:DTR+RTS\n"), std::string::npos)
      << "the handshake's line changes are recorded";
}

}  // namespace
}  // namespace gw
