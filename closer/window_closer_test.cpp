// The escalation for one window on a fake desktop, with every step's time on a fake clock.
#include "closer/window_closer.h"

#include <gtest/gtest.h>

#include <sstream>

#include "closer/testing/fake_desktop.h"
#include "testing/temp_dir.h"

namespace gw {
namespace {

constexpr WindowId kApp = 0x400001;
constexpr WindowId kPopup = 0x400100;

class WindowCloserTest : public ::testing::Test {
 protected:
  WindowCloserTest() : names_(dir_.file("PCTemp")), log_(dir_.file("saved")) {}

  // Runs the closer on kApp and returns whether it succeeded; ended_at_ is its last moment.
  bool close() {
    WindowCloser closer(desktop_, clock_, names_, log_, kApp);
    const bool ok = closer.run();
    ended_at_ = clock_.nowMs() - FakeClock::kDefaultStart;
    return ok;
  }

  // "<ms> <what> <target>[ <text>]" per action: one string compares a whole timeline.
  std::string timeline() {
    std::ostringstream out;
    for (const FakeAction& a : desktop_.actionsOf(kApp)) {
      out << a.at_ms << ' ' << a.what << ' ' << std::hex << a.target << std::dec;
      if (!a.text.empty() && a.what == "type") out << ' ' << a.text;
      out << '\n';
    }
    return out.str();
  }

  TempDir dir_;
  FakeClock clock_;
  FakeDesktop desktop_{clock_};
  TempNameSource names_;
  SavedLog log_;
  int64_t ended_at_ = -1;
};

TEST_F(WindowCloserTest, AWindowThatClosesOnTheFirstRequestGetsNothingMore) {
  desktop_.addApp(kApp, "Notes", fake_apps::closesWhenAsked());
  EXPECT_TRUE(close());
  EXPECT_EQ(timeline(), "0 query end session 400001\n");
  EXPECT_EQ(ended_at_, 0) << "the destroy event and the process end need no time-out";
}

TEST_F(WindowCloserTest, AProgramThatIgnoresEverythingIsEscalatedToItsEnd) {
  desktop_.addApp(kApp, "Stuck", fake_apps::ignoresEverything());
  EXPECT_TRUE(close());
  EXPECT_EQ(timeline(),
            "0 query end session 400001\n"
            "1000 close 400001\n"
            "2000 destroy 400001\n"
            "2500 quit 400001\n"
            "2700 terminate 400001\n");
  EXPECT_EQ(ended_at_, 2700);
}

TEST_F(WindowCloserTest, AWindowThatSurvivesItsTerminationIsGivenUp) {
  desktop_.addApp(kApp, "Undying", fake_apps::ignoresEverything(), /*killable=*/false);
  EXPECT_FALSE(close());
  EXPECT_EQ(ended_at_, 2800);
}

TEST_F(WindowCloserTest, WithoutAKnownProcessTheConnectionIsCutInstead) {
  desktop_.addApp(kApp, "Remote", fake_apps::ignoresEverything(), true, /*has_process=*/false);
  EXPECT_FALSE(close());
  EXPECT_EQ(timeline(),
            "0 query end session 400001\n"
            "1000 close 400001\n"
            "2000 destroy 400001\n"
            "2500 quit 400001\n"
            "2700 quit 400001\n");
  EXPECT_EQ(ended_at_, 2800);
}

TEST_F(WindowCloserTest, AMessageBoxGetsYEnterItsButtonThenCloseDestroyQuit) {
  desktop_.addApp(kApp, "Editor", fake_apps::asksSaveChanges(kPopup), /*killable=*/false);
  EXPECT_FALSE(close());
  // 'Y' goes to the box's first control, the button press to its first button.
  EXPECT_EQ(timeline(),
            "0 query end session 400001\n"
            "0 type 400101 Y\n"
            "1000 enter 400100\n"
            "2000 button 400101\n"
            "3000 close 400100\n"
            "3100 destroy 400100\n"
            "3200 quit 400100\n"
            "3300 terminate 400001\n");
  // The box is still there after the termination: the thread gives up instead of going round.
  EXPECT_EQ(ended_at_, 3400);
}

TEST_F(WindowCloserTest, WithoutWatcherSignalsTheTimeOutsFindTheBox) {
  desktop_.setWatcherSignals(false);
  desktop_.addApp(kApp, "Editor", fake_apps::asksSaveChanges(kPopup));
  EXPECT_TRUE(close());
  EXPECT_EQ(timeline(),
            "0 query end session 400001\n"
            "1000 type 400101 Y\n"
            "2000 enter 400100\n"
            "3000 button 400101\n"
            "4000 close 400100\n"
            "4100 destroy 400100\n"
            "4200 quit 400100\n"
            "4300 terminate 400001\n");
}

TEST_F(WindowCloserTest, ABoxWithoutControlsSkipsYAndGoesOnAtOnceWithoutAButton) {
  desktop_.addApp(kApp, "Bare", [](FakeDesktop& d, WindowId app, const FakeAction& a) {
    if (a.what == "query end session") d.showPopup(app, {kPopup, {}});
  });
  EXPECT_TRUE(close());
  EXPECT_EQ(timeline(),
            "0 query end session 400001\n"
            "1000 enter 400100\n"
            "2000 close 400100\n"
            "2100 destroy 400100\n"
            "2200 quit 400100\n"
            "2300 terminate 400001\n");
}

TEST_F(WindowCloserTest, ASaveDialogGetsATemporaryNameAndEnterAndItIsRecorded) {
  std::string saved_to;
  desktop_.addApp(kApp, "Report - Editor", fake_apps::opensSaveDialog(kPopup, &saved_to));
  EXPECT_TRUE(close());
  const std::string name = dir_.file("PCTemp/temp0000");
  EXPECT_EQ(timeline(), "0 query end session 400001\n0 type 400102 " + name +
                            "\n"
                            "0 enter 400100\n");
  EXPECT_EQ(saved_to, name);
  EXPECT_EQ(dir_.read("saved"), "Report - Editor\t" + name + "\n");
}

TEST_F(WindowCloserTest, AStubbornSaveDialogGetsTwoNamesThenCloseDestroyAndTheEnd) {
  std::string saved_to;
  desktop_.setWatcherSignals(false);
  desktop_.addApp(kApp, "Draw", fake_apps::opensSaveDialog(kPopup, &saved_to, true));
  EXPECT_TRUE(close());
  const std::string first = dir_.file("PCTemp/temp0000");
  const std::string second = dir_.file("PCTemp/temp0001");
  EXPECT_EQ(timeline(), "0 query end session 400001\n"
                        "1000 type 400102 " + first + "\n"
                        "1000 enter 400100\n"
                        "2000 type 400102 " + second + "\n"
                        "2000 enter 400100\n"
                        "3000 close 400100\n"
                        "3100 destroy 400100\n"
                        "3200 terminate 400001\n");
  EXPECT_EQ(dir_.read("saved"), "Draw\t" + first + "\nDraw\t" + second + "\n");
}

TEST_F(WindowCloserTest, AnEditFieldIsWaitedForUntilItIsReallyVisible) {
  std::string saved_to;
  desktop_.addApp(kApp, "Slow", fake_apps::opensSaveDialog(kPopup, &saved_to, false, 3));
  EXPECT_TRUE(close());
  ASSERT_EQ(desktop_.actionsOf(kApp).size(), 3u);
  EXPECT_EQ(desktop_.actionsOf(kApp)[1].at_ms, 300);
  EXPECT_EQ(saved_to, dir_.file("PCTemp/temp0000"));
}

TEST_F(WindowCloserTest, AnEditFieldThatNeverShowsMakesTheDialogAMessageBox) {
  std::string saved_to;
  desktop_.addApp(kApp, "Hidden", fake_apps::opensSaveDialog(kPopup, &saved_to, false, -1));
  EXPECT_TRUE(close());
  const auto actions = desktop_.actionsOf(kApp);
  ASSERT_GE(actions.size(), 3u);
  EXPECT_EQ(actions[1].what, "type");
  EXPECT_EQ(actions[1].text, "Y");
  EXPECT_EQ(actions[1].at_ms, 5000) << "fifty looks, 100 ms apart";
  EXPECT_EQ(actions[1].target, kPopup + 1) << "the first control, the label";
  EXPECT_TRUE(saved_to.empty());
  EXPECT_FALSE(dir_.exists("saved"));
}

TEST_F(WindowCloserTest, ADestroyedWindowWhoseProgramLivesOnEndsAfterAShortWait) {
  desktop_.addApp(kApp, "Tray", [](FakeDesktop& d, WindowId app, const FakeAction& a) {
    if (a.what == "query end session") d.destroyMain(app);
  });
  EXPECT_TRUE(close());
  EXPECT_EQ(timeline(), "0 query end session 400001\n");
  EXPECT_EQ(ended_at_, 100);
}

TEST_F(WindowCloserTest, TheThirdCloseRequestBecomesATermination) {
  // Each close request brings up a box that Enter dismisses; the box resets the escalation, so
  // only the close count stops the round.
  int boxes = 0;
  desktop_.addApp(kApp, "Nagging", [&boxes](FakeDesktop& d, WindowId app, const FakeAction& a) {
    if (a.target == app && (a.what == "query end session" || a.what == "close")) {
      d.showPopup(app, {kPopup + 0x10 * static_cast<WindowId>(boxes++), {}});
    } else if (a.what == "enter") {
      d.closePopup(app, a.target);
    }
  });
  EXPECT_TRUE(close());
  EXPECT_EQ(timeline(),
            "0 query end session 400001\n"
            "1000 enter 400100\n"
            "2000 close 400001\n"
            "3000 enter 400110\n"
            "4000 close 400001\n"
            "5000 enter 400120\n"
            "6000 terminate 400001\n");
}

TEST_F(WindowCloserTest, AProgramThatAnswersEveryDialogWithANewOneIsEnded) {
  WindowId next = kPopup;
  desktop_.addApp(kApp, "Loop", [&next](FakeDesktop& d, WindowId app, const FakeAction& a) {
    if (a.what == "query end session" || a.what == "type") {
      if (a.what == "type") d.closePopup(app, next - 0x10);
      d.showPopup(app, {next, {{next + 1, "Button"}}});
      next += 0x10;
    }
  });
  EXPECT_TRUE(close());
  const auto actions = desktop_.actionsOf(kApp);
  ASSERT_FALSE(actions.empty());
  EXPECT_EQ(actions.back().what, "terminate");
  EXPECT_EQ(actions.size(), 1u + WindowCloser::kMaxPopups + 1u);
}

}  // namespace
}  // namespace gw
