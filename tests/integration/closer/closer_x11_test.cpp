// sweeper on a real X server with a real window manager: programs of our own that close, ask,
// save or ignore, and xterm. Afterwards every window is gone, the dialogs' files are written and
// "saved" lists them.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <cstdlib>

#include "closer/event_names.h"
#include "closer/hook/cbt_hook.h"
#include "platform/named_event.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "testing/temp_dir.h"
#include "testing/x_session.h"

namespace gw {
namespace {

constexpr int kSweeperLimitMs = 60000;

class CloserX11Test : public ::testing::Test {
 protected:
  void SetUp() override {
    session_ = std::make_unique<XSession>(dir_);
    ASSERT_TRUE(session_->ok()) << "Xvfb and jwm did not come up";
  }
  void TearDown() override {
    for (auto& app : apps_) {
      if (app->running()) app->terminate();
    }
  }

  ChildProcess& start(const std::string& program, std::vector<std::string> args) {
    SpawnOptions o;
    o.program = program;
    o.args = std::move(args);
    o.extra_env = session_->env();
    std::unique_ptr<ChildProcess> child;
    EXPECT_EQ(spawnProcess(o, &child), RC_OK) << program;
    apps_.push_back(std::move(child));
    return *apps_.back();
  }
  ChildProcess& app(const std::string& mode, const std::string& title,
                    std::vector<std::string> more = {}) {
    std::vector<std::string> args = {"--mode", mode, "--title", title};
    args.insert(args.end(), more.begin(), more.end());
    return start(executableDirectory() + "/closer_test_app", args);
  }

  // Copies sweeper and the given watcher library beside it into `into`, runs it there and
  // returns its exit code; *took_ms is how long it ran.
  int sweep(const std::string& into, const std::string& library, std::vector<std::string> args,
            std::map<std::string, std::string> env, int64_t* took_ms) {
    std::filesystem::create_directories(into);
    std::filesystem::copy_file(std::string(std::getenv("GW_BIN_DIR")) + "/sweeper",
                               into + "/sweeper");
    std::filesystem::copy_file(library, into + "/libsweeper.so");
    SpawnOptions o;
    o.program = into + "/sweeper";
    o.args = std::move(args);
    o.extra_env = session_->env();
    o.extra_env.insert(env.begin(), env.end());
    std::unique_ptr<ChildProcess> sweeper;
    EXPECT_EQ(spawnProcess(o, &sweeper), RC_OK);
    if (!sweeper) return -1;
    const auto start = std::chrono::steady_clock::now();
    int code = -1;
    if (sweeper->wait(kSweeperLimitMs, &code) != RC_OK) {
      sweeper->terminate();
      ADD_FAILURE() << "sweeper still ran after " << kSweeperLimitMs << " ms";
    }
    *took_ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now() - start).count();
    return code;
  }
  static std::string hookLibrary() {
    return std::string(std::getenv("GW_BIN_DIR")) + "/libsweeper.so";
  }
  static std::string silentLibrary() {
    return executableDirectory() + "/silent_hook/libsweeper.so";
  }

  // The app ended by itself with code 0: it took the closer's answer.
  static bool answered(ChildProcess& p) {
    int code = -1;
    return p.wait(5000, &code) == RC_OK && code == 0;
  }

  TempDir dir_;
  std::unique_ptr<XSession> session_;
  std::vector<std::unique_ptr<ChildProcess>> apps_;
};

TEST_F(CloserX11Test, ClosesEveryKindOfProgramAndRecordsTheSavedFiles) {
  const std::string save = dir_.file("save");
  std::filesystem::create_directory(save);
  ChildProcess& notes = app("close", "Notes");
  ChildProcess& letter = app("ask", "Letter", {"--answer", "key"});
  ChildProcess& memo = app("ask", "Memo", {"--answer", "button"});
  ChildProcess& report = app("save", "Report - Editor");
  ChildProcess& sketch = app("save", "Sketch - Paint", {"--self-drawn"});
  app("ignore", "Stuck");
  ChildProcess& xterm = start("/usr/bin/xterm", {"-T", "Terminal", "-e", "sleep", "600"});
  ASSERT_TRUE(session_->waitForClients(7)) << "the programs did not all show their windows";

  int64_t took = 0;
  EXPECT_EQ(sweep(dir_.file("run"), hookLibrary(), {"/S", save}, {}, &took), 0);
  std::printf("sweeper closed 7 programs in %lld ms\n", static_cast<long long>(took));

  EXPECT_TRUE(session_->waitForClients(0, 2000)) << session_->clients().size() << " left";
  EXPECT_TRUE(answered(notes));
  EXPECT_TRUE(answered(letter)) << "'Y' reaches the message box";
  EXPECT_TRUE(answered(memo)) << "the click on its first button reaches it";
  EXPECT_TRUE(answered(report));
  EXPECT_TRUE(answered(sketch));
  int code = 0;
  EXPECT_EQ(xterm.wait(5000, &code), RC_OK) << "xterm ends on the close request";

  // Both dialogs got one of the two names; each file holds its program's document.
  std::map<std::string, std::string> by_title;
  std::istringstream lines(dir_.read("run/saved"));
  for (std::string line; std::getline(lines, line);) {
    const size_t tab = line.find('\t');
    ASSERT_NE(tab, std::string::npos) << line;
    by_title[line.substr(0, tab)] = line.substr(tab + 1);
  }
  ASSERT_EQ(by_title.size(), 2u) << dir_.read("run/saved");
  EXPECT_EQ((std::set<std::string>{by_title["Report - Editor"], by_title["Sketch - Paint"]}),
            (std::set<std::string>{save + "/temp0000", save + "/temp0001"}));
  for (const auto& [title, path] : by_title) {
    std::ifstream in(path);
    std::string text;
    std::getline(in, text);
    EXPECT_EQ(text, "document of " + title) << path;
  }
  // The slowest is the program that ignores everything: 1000 + 1000 ms before its window is
  // destroyed and 500 ms before that is seen.
  EXPECT_LT(took, 15000);
}

TEST_F(CloserX11Test, WithoutWatcherSignalsTheTimeOutsCloseEverythingToo) {
  const std::string home = dir_.file("home");
  std::filesystem::create_directory(home);
  ChildProcess& report = app("save", "Report - Editor");
  ChildProcess& letter = app("ask", "Letter", {"--answer", "enter"});
  ASSERT_TRUE(session_->waitForClients(2));

  int64_t took = 0;
  EXPECT_EQ(sweep(dir_.file("run"), silentLibrary(), {}, {{"HOME", home}}, &took), 0);
  std::printf("sweeper without watcher signals took %lld ms\n", static_cast<long long>(took));
  EXPECT_TRUE(session_->waitForClients(0, 2000));
  EXPECT_TRUE(answered(report));
  EXPECT_TRUE(answered(letter));
  // With no switches the names go to PCTemp in the home, made at start, and the log beside the
  // program.
  EXPECT_EQ(dir_.read("run/saved"), "Report - Editor\t" + home + "/PCTemp/temp0000\n");
  EXPECT_TRUE(std::filesystem::exists(home + "/PCTemp/temp0000"));
  EXPECT_GE(took, 1000) << "only the first time-out shows the dialogs";
}

TEST_F(CloserX11Test, TheWatcherSignalsAPopupAndTheDestruction) {
  Display* dpy = session_->dpy();
  app("save", "Watched");
  ASSERT_TRUE(session_->waitForClients(1));
  const Window w = session_->findByTitle("Watched");
  ASSERT_NE(w, None);
  // The library opens its own connection to the display the environment names.
  ::setenv("DISPLAY", session_->display().c_str(), 1);
  std::unique_ptr<NamedEvent> active, destroy;
  ASSERT_EQ(NamedEvent::create(activeEventName(w), &active), RC_OK);
  ASSERT_EQ(NamedEvent::create(destroyEventName(w), &destroy), RC_OK);
  ASSERT_EQ(CBTHook_Start(w), 0);
  EXPECT_EQ(CBTHook_Start(0x7ffffff0), -1) << "no events exist for that window";

  auto waitFor = [](NamedEvent& e) {
    for (int i = 0; i < 100; ++i) {
      if (e.tryTake()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  };
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_FALSE(active->tryTake()) << "nothing new has been shown yet";

  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = w;
  e.xclient.format = 32;
  e.xclient.message_type = XInternAtom(dpy, "WM_PROTOCOLS", False);
  e.xclient.data.l[0] = static_cast<long>(XInternAtom(dpy, "WM_DELETE_WINDOW", False));
  XSendEvent(dpy, w, False, NoEventMask, &e);
  XFlush(dpy);
  EXPECT_TRUE(waitFor(*active)) << "the save dialog coming up sets the active event";
  EXPECT_TRUE(session_->waitForClients(2));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_FALSE(active->tryTake()) << "its activation is the same news, not a second signal";

  XDestroyWindow(dpy, w);
  XFlush(dpy);
  EXPECT_TRUE(waitFor(*destroy));
}

}  // namespace
}  // namespace gw
