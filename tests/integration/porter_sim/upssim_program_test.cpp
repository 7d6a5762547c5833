// upssim on its own: the command line, the terminal and control channels, the pty it serves,
// and the files it leaves (none but the log).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "platform/process.h"
#include "testing/pipe_line.h"
#include "testing/temp_dir.h"

namespace gw {
namespace {

std::string upssim() {
  const char* bin = std::getenv("GW_BIN_DIR");
  return std::string(bin ? bin : ".") + "/upssim";
}

struct SimRun {
  std::unique_ptr<ChildProcess> child;
  std::unique_ptr<Pipe> in, out;
  std::string pending;

  bool start(std::vector<std::string> args) {
    SpawnOptions o;
    o.program = upssim();
    o.args = std::move(args);
    o.pipe_stdin = true;
    o.pipe_stdout = true;
    if (spawnProcess(o, &child) != RC_OK) return false;
    in = child->takeStdin();
    out = child->takeStdout();
    return true;
  }
  std::string line(int timeout_ms = 5000) {
    std::string l;
    return readPipeLine(*out, &pending, timeout_ms, &l) ? l : "<nothing>";
  }
  std::string command(const std::string& c) {
    if (in->write((c + "\n").data(), c.size() + 1) != RC_OK) return "<write failed>";
    return line();
  }
  int finish(int timeout_ms) {
    int code = -1;
    if (child->wait(timeout_ms, &code) != RC_OK) {
      child->terminate();
      return -1;
    }
    return code;
  }
  ~SimRun() {
    if (child && child->running()) child->terminate();
  }
};

TEST(UpssimProgramTest, CommandLineHelpAndRefusals) {
  SimRun help;
  ASSERT_TRUE(help.start({"--help"}));
  EXPECT_EQ(help.line().rfind("usage: upssim", 0), 0u);
  EXPECT_EQ(help.finish(5000), 0);

  const std::vector<std::vector<std::string>> bad = {{"--kind", "serial"},
                                                     {"--kind"},
                                                     {"--model", "KZ-9"},
                                                     {"--kind", "contact", "--link", "pty"},
                                                     {"--link", "usb"},
                                                     {"--frobnicate", "1"}};
  for (const auto& args : bad) {
    SCOPED_TRACE(args[0] + " " + (args.size() > 1 ? args[1] : ""));
    SimRun r;
    ASSERT_TRUE(r.start(args));
    EXPECT_EQ(r.finish(5000), 2);
  }
}

TEST(UpssimProgramTest, TerminalCommandsAndThePtyItServes) {
  TempDir dir;
  SimRun sim;
  ASSERT_TRUE(sim.start({"--model", "KC-2", "--log", dir.file("log"), "--com", "3"}));
  std::string first = sim.line();
  ASSERT_EQ(first.rfind("GRIDWATCH_COM3=/dev/pts/", 0), 0u) << first;
  std::string device = first.substr(first.find('=') + 1);

  int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  ASSERT_GE(fd, 0) << device;
  termios t{};
  ASSERT_EQ(::tcgetattr(fd, &t), 0);
  ::cfmakeraw(&t);
  ASSERT_EQ(::tcsetattr(fd, TCSANOW, &t), 0);
  ASSERT_EQ(::write(fd, "F\r", 2), 2);
  std::string answer;
  pollfd p{fd, POLLIN, 0};
  while (answer.size() < 21 && ::poll(&p, 1, 2000) > 0) {
    char buf[64];
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n <= 0) break;
    answer.append(buf, static_cast<size_t>(n));
  }
  EXPECT_EQ(answer.substr(0, 12), ".KC-2      .");
  EXPECT_EQ(answer.size(), 21u);

  EXPECT_EQ(sim.command("received"), "OK 1 F\\x0d");
  EXPECT_EQ(sim.command("where"), "OK " + first);
  EXPECT_EQ(sim.command("cable pull"), "OK cable pulled");
  ASSERT_EQ(::write(fd, "F\r", 2), 2);
  EXPECT_EQ(::poll(&p, 1, 500), 0) << "a pulled cable answers nothing";
  EXPECT_EQ(sim.command("bogus").rfind("ERR ", 0), 0u);
  EXPECT_EQ(sim.command("quit"), "OK bye");
  EXPECT_EQ(sim.finish(5000), 0);
  ::close(fd);
  std::string log = dir.read("log");
  EXPECT_NE(log.find(" F\\x0d\n"), std::string::npos) << log;
  EXPECT_EQ(log.find('\n'), log.size() - 1) << "what the pulled cable swallowed is not logged";
}

TEST(UpssimProgramTest, SigtermEndsItAndRemovesItsSockets) {
  TempDir dir;
  SimRun sim;
  ASSERT_TRUE(sim.start({"--kind", "contact", "--cable", dir.file("cable"), "--control",
                         dir.file("control")}));
  EXPECT_EQ(sim.line(), "GRIDWATCH_COM1=" + dir.file("cable"));
  EXPECT_TRUE(dir.exists("cable"));
  EXPECT_TRUE(dir.exists("control"));
  sim.child->requestStop();
  EXPECT_EQ(sim.finish(5000), 0);
  EXPECT_FALSE(dir.exists("cable"));
  EXPECT_FALSE(dir.exists("control"));
}

}  // namespace
}  // namespace gw
