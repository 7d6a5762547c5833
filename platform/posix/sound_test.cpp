// Sounds start detached through the configured command or aplay, are reaped without the caller
// waiting, and never hand a file name to the shell as code.
#include "platform/sound.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "testing/temp_dir.h"

namespace gw {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

// Waits (really: players are real processes) until the file exists with a whole line in it.
std::string waitForLine(const TempDir& dir, const std::string& name) {
  auto deadline = steady_clock::now() + std::chrono::seconds(20);
  while (steady_clock::now() < deadline) {
    std::string text = dir.read(name);
    if (!text.empty() && text.back() == '\n') return text;
    std::this_thread::sleep_for(milliseconds(20));
  }
  return "";
}

// Children of this process, zombies included, found through their parent pid.
int childCount() {
  int n = 0;
  const std::string me = std::to_string(::getpid());
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    std::ifstream stat(entry.path() / "stat");
    std::string line;
    if (!std::getline(stat, line)) continue;
    size_t close = line.rfind(')');
    if (close == std::string::npos) continue;
    // After "pid (comm)": state, then the parent pid.
    std::string rest = line.substr(close + 2);
    size_t blank = rest.find(' ');
    std::string ppid = rest.substr(blank + 1, rest.find(' ', blank + 1) - blank - 1);
    if (ppid == me) ++n;
  }
  return n;
}

bool childrenGone() {
  auto deadline = steady_clock::now() + std::chrono::seconds(20);
  while (steady_clock::now() < deadline) {
    if (childCount() == 0) return true;
    std::this_thread::sleep_for(milliseconds(20));
  }
  return false;
}

int threadCount() {
  int n = 0;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) {
    (void)entry;
    ++n;
  }
  return n;
}

// Waits until no process has the pid any more (a killed orphan is reaped by init).
bool processGone(const std::string& pid) {
  auto deadline = steady_clock::now() + std::chrono::seconds(5);
  while (steady_clock::now() < deadline) {
    if (!std::filesystem::exists("/proc/" + pid)) return true;
    std::this_thread::sleep_for(milliseconds(20));
  }
  return false;
}

class SoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir_.path().empty());
    dir_.write("pfail.wav", "RIFF");
    // Records its arguments, one line per run.
    dir_.writeScript("record", "printf '%s|' \"$@\" >> '" + dir_.file("calls") +
                                   "'; echo >> '" + dir_.file("calls") + "'\n");
  }

  SoundOptions withCommand(const std::string& command) const {
    SoundOptions options;
    options.program_dir = dir_.path();
    options.command = command;
    return options;
  }

  TempDir dir_;
};

TEST_F(SoundTest, CommandGetsTheFilePathOrNothingForABeep) {
  auto player = createSoundPlayer(withCommand("'" + dir_.file("record") + "' --flag"));
  ASSERT_EQ(player->playSound("pfail.wav"), RC_OK);
  EXPECT_EQ(waitForLine(dir_, "calls"), "--flag|" + dir_.file("pfail.wav") + "|\n");

  ::unlink(dir_.file("calls").c_str());
  ASSERT_EQ(player->playSound(""), RC_OK);
  EXPECT_EQ(waitForLine(dir_, "calls"), "--flag|\n") << "a beep has no file argument";

  EXPECT_EQ(player->playSound("missing.wav"), RC_NOT_AVAILABLE) << "no default sound";
  EXPECT_TRUE(childrenGone()) << "every player was reaped";
}

TEST_F(SoundTest, FileNameIsNeverShellCode) {
  // Had the shell parsed the name, the quote would end the argument and the rest would run.
  const std::string evil = "x'; echo INJECTED; ';$(echo INJECTED) \"$0\".wav";
  dir_.write(evil, "RIFF");
  auto player = createSoundPlayer(withCommand("'" + dir_.file("record") + "'"));
  ASSERT_EQ(player->playSound(evil), RC_OK);
  EXPECT_EQ(waitForLine(dir_, "calls"), dir_.file(evil) + "|\n");
  EXPECT_TRUE(childrenGone());
}

TEST_F(SoundTest, SlowPlayerDoesNotBlockTheCallerAndIsReaped) {
  dir_.writeScript("slow", "sleep 1; echo done >> '" + dir_.file("slow.out") + "'\n");
  auto player = createSoundPlayer(withCommand("'" + dir_.file("slow") + "'"));
  auto start = steady_clock::now();
  ASSERT_EQ(player->playSound("pfail.wav"), RC_OK);
  EXPECT_LT(steady_clock::now() - start, milliseconds(800)) << "playSound waited for the player";
  player.reset();  // the player object may go while its sound still plays
  EXPECT_EQ(waitForLine(dir_, "slow.out"), "done\n");
  EXPECT_TRUE(childrenGone()) << "the finished player was left a zombie";
}

TEST_F(SoundTest, TheEndOfThePlayerEndsAHangingSoundAndLeavesNoThreadBehind) {
  // The shell's own child stands for a player program that a shell command started.
  dir_.writeScript("hang", "sleep 60 & echo $! > '" + dir_.file("grandchild") + "'; wait\n");
  SoundOptions options = withCommand("'" + dir_.file("hang") + "'");
  options.stop_grace_ms = 100;
  // A first thread makes a sanitizer start its own helper thread; count after that one.
  std::thread([] {}).join();
  const int threads = threadCount();
  auto player = createSoundPlayer(options);
  ASSERT_EQ(player->playSound("pfail.wav"), RC_OK);
  std::string grandchild = waitForLine(dir_, "grandchild");
  ASSERT_FALSE(grandchild.empty());
  grandchild.pop_back();

  auto start = steady_clock::now();
  player.reset();
  EXPECT_LT(steady_clock::now() - start, std::chrono::seconds(5)) << "waited past the grace";
  EXPECT_EQ(childCount(), 0) << "the hanging player outlived the sound player";
  EXPECT_EQ(threadCount(), threads) << "a thread outlived the sound player";
  EXPECT_TRUE(processGone(grandchild)) << "what the player's shell started was left running";
}

TEST_F(SoundTest, AplayFromTheSearchPathPlaysFilesAndABeepTone) {
  TempDir bin;
  bin.writeScript("aplay", "echo \"$*\" >> '" + dir_.file("aplay.args") + "'\n" +
                               "cat > '" + dir_.file("aplay.in") + "'\n");
  SoundOptions options;
  options.program_dir = dir_.path();
  options.search_path = dir_.file("nowhere") + "::" + bin.path();
  auto player = createSoundPlayer(options);

  ASSERT_EQ(player->playSound(""), RC_OK);
  EXPECT_EQ(waitForLine(dir_, "aplay.args"), "-q -\n");
  ASSERT_TRUE(childrenGone());
  std::string tone = dir_.read("aplay.in");
  ASSERT_GT(tone.size(), 44u);
  EXPECT_EQ(tone.substr(0, 4), "RIFF");
  EXPECT_EQ(tone.substr(8, 8), "WAVEfmt ");

  ::unlink(dir_.file("aplay.args").c_str());
  ASSERT_EQ(player->playSound("pfail.wav"), RC_OK);
  EXPECT_EQ(waitForLine(dir_, "aplay.args"), "-q " + dir_.file("pfail.wav") + "\n");
  EXPECT_TRUE(childrenGone());
}

TEST_F(SoundTest, NoCommandAndNoAplayPlaysNothing) {
  SoundOptions options;
  options.program_dir = dir_.path();
  options.search_path = dir_.path();  // holds no aplay
  auto player = createSoundPlayer(options);
  EXPECT_EQ(player->playSound("pfail.wav"), RC_UNSUPPORTED);
  EXPECT_EQ(player->playSound(""), RC_UNSUPPORTED);
  EXPECT_EQ(player->playSound("missing.wav"), RC_NOT_AVAILABLE);
  EXPECT_EQ(childCount(), 0);
}

}  // namespace
}  // namespace gw
