// The real porter program on pipes: replies byte for byte, line assembly across a poll, and its
// end when the service's pipes close.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "platform/process.h"
#include "testing/pty_pair.h"

namespace gw {
namespace {

int64_t steadyMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

class PorterRun {
 public:
  // Starts porter with the arguments; COM1 to COM4 point into an empty directory so that no
  // real serial port is ever opened.
  explicit PorterRun(std::vector<std::string> args, std::string com1 = "") {
    char dir_template[] = "/tmp/gw_porter_XXXXXX";
    if (::mkdtemp(dir_template)) dir_ = dir_template;
    const char* bin = std::getenv("GW_BIN_DIR");
    SpawnOptions options;
    options.program = std::string(bin ? bin : ".") + "/porter";
    options.args = std::move(args);
    for (int n = 1; n <= 4; ++n) {
      options.extra_env["GRIDWATCH_COM" + std::to_string(n)] = dir_ + "/no-port-" + std::to_string(n);
    }
    if (!com1.empty()) options.extra_env["GRIDWATCH_COM1"] = com1;
    options.pipe_stdin = true;
    options.pipe_stdout = true;
    if (spawnProcess(options, &child_) != RC_OK) return;
    in_ = child_->takeStdin();
    out_ = child_->takeStdout();
  }
  ~PorterRun() {
    if (child_ && child_->running()) child_->terminate();
    if (!dir_.empty()) ::rmdir(dir_.c_str());
  }

  bool started() const { return child_ && in_ && out_; }
  bool send(const std::string& bytes) { return in_ && in_->write(bytes.data(), bytes.size()) == RC_OK; }
  // One reply line with its line feed, or what came before the time ran out.
  std::string readLine(int timeout_ms = 3000) {
    int64_t deadline = steadyMs() + timeout_ms;
    for (;;) {
      size_t lf = pending_.find('\n');
      if (lf != std::string::npos) {
        std::string line = pending_.substr(0, lf + 1);
        pending_.erase(0, lf + 1);
        return line;
      }
      int64_t left = deadline - steadyMs();
      if (left <= 0) break;
      char buf[256];
      size_t got = 0;
      if (out_->read(buf, sizeof buf, static_cast<int>(left), &got) != RC_OK) break;
      pending_.append(buf, got);
    }
    std::string partial = pending_;
    pending_.clear();
    return partial;
  }
  std::string ask(const std::string& request) {
    if (!send(request)) return "(send failed)";
    return readLine();
  }
  void closeStdin() { in_.reset(); }
  void closeStdout() { out_.reset(); }
  // Exit code, or -1000 when it did not end within timeout_ms.
  int waitExit(int timeout_ms) {
    int code = 0;
    if (child_->wait(timeout_ms, &code) != RC_OK) return -1000;
    return code;
  }
  int64_t pid() const { return child_->id(); }

 private:
  std::string dir_;
  std::unique_ptr<ChildProcess> child_;
  std::unique_ptr<Pipe> in_;
  std::unique_ptr<Pipe> out_;
  std::string pending_;
};

TEST(PorterTest, AnswersEveryReplyFormByteForByte) {
  PorterRun porter({"0", "0"});
  ASSERT_TRUE(porter.started());
  EXPECT_EQ(porter.ask("S0\n"), "S0E 8\n");
  EXPECT_EQ(porter.ask("X1\n"), "X1E 1\n");
  EXPECT_EQ(porter.ask("R31\n"), "R31E 1\n");
  EXPECT_EQ(porter.ask("R\n"), "R-1E 1\n");
  EXPECT_EQ(porter.ask("\n"), "-1E 1\n");
  EXPECT_EQ(porter.ask("C0\n"), "C0E 16\n");
  EXPECT_EQ(porter.ask("S12\r\n"), "S12E 8\n");
  EXPECT_EQ(porter.ask(std::string(1000, 'R') + "\n"), "-1E 1\n") << "overlong line";
  // Several requests in one write are answered in order.
  ASSERT_TRUE(porter.send("S7\nS8\n"));
  EXPECT_EQ(porter.readLine(), "S7E 8\n");
  EXPECT_EQ(porter.readLine(), "S8E 8\n");
}

TEST(PorterTest, ALineSplitAcrossAPollIsAnsweredOnce) {
  PorterRun porter({"0", "0"});
  ASSERT_TRUE(porter.started());
  ASSERT_TRUE(porter.send("S"));
  EXPECT_EQ(porter.readLine(3500), "") << "half a line gets no answer";
  ASSERT_TRUE(porter.send("0\n"));
  EXPECT_EQ(porter.readLine(), "S0E 8\n");
  EXPECT_EQ(porter.readLine(500), "") << "answered once only";
}

TEST(PorterTest, EndsWithCodeZeroSoonAfterStandardInputCloses) {
  PorterRun porter({"0", "0"});
  ASSERT_TRUE(porter.started());
  EXPECT_EQ(porter.ask("S1\n"), "S1E 8\n");
  int64_t start = steadyMs();
  porter.closeStdin();
  EXPECT_EQ(porter.waitExit(5000), 0);
  EXPECT_LT(steadyMs() - start, 1500) << "the wait for a request sees the close at once";
}

TEST(PorterTest, EndsWithCodeZeroWhenItsRepliesCannotBeDelivered) {
  PorterRun porter({"0", "0"});
  ASSERT_TRUE(porter.started());
  porter.closeStdout();
  ASSERT_TRUE(porter.send("S0\n"));
  EXPECT_EQ(porter.waitExit(5000), 0) << "a broken reply pipe is no crash";
}

TEST(PorterTest, CommandLineIsReadFromLeadingDigits) {
  // No arguments, words without digits, and a serial port that does not exist all leave the
  // no-UPS device answering.
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{}, std::vector<std::string>{"x", "y"},
        std::vector<std::string>{"2junk", "1"}}) {
    PorterRun porter(args);
    ASSERT_TRUE(porter.started());
    EXPECT_EQ(porter.ask("S2\n"), "S2E 8\n") << (args.empty() ? "(none)" : args[0]);
    porter.closeStdin();
    EXPECT_EQ(porter.waitExit(5000), 0);
  }
  // Under type 2 index 1 with no port found, another port re-creates the device; no UPS keeps
  // the stand-in.
  PorterRun porter({"2", "1"});
  ASSERT_TRUE(porter.started());
  EXPECT_EQ(porter.ask("C4 2 2\n"), "C4E 20\n");
  EXPECT_EQ(porter.ask("S0\n"), "S0E 8\n");
  EXPECT_EQ(porter.ask("C4 0 0\n"), "C4E 1\n");
}

TEST(PorterTest, OpensTheSerialPortNamedByTheEnvironmentAndSurvivesSilence) {
  PtyPair line;
  ASSERT_TRUE(line.ok());
  PorterRun porter({"2", "1"}, line.slavePath());
  ASSERT_TRUE(porter.started());
  ASSERT_TRUE(porter.send("S0\n"));
  std::string sent_to_ups;
  std::string reply;
  int64_t deadline = steadyMs() + 15000;
  while (reply.empty() && steadyMs() < deadline) {
    sent_to_ups += line.receive(100);
    reply = porter.readLine(100);
  }
  EXPECT_EQ(reply, "S0E 8\n") << "nothing answers on the line: no UPS";
  EXPECT_FALSE(sent_to_ups.empty()) << "detection must have spoken on COM1";
  porter.closeStdin();
  EXPECT_EQ(porter.waitExit(15000), 0);
}

}  // namespace
}  // namespace gw
