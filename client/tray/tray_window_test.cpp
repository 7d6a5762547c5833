// The tray's state machine against a shell that records what it is told to do.
#include "client/tray/tray_window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/fake_child_process.h"
#include "testing/fake_clock.h"

namespace gw {
namespace {

class RecordingShell : public TrayShell {
 public:
  explicit RecordingShell(const Clock& clock) : clock_(clock) {}

  void showIcon(int icon, const std::string& tip) override {
    calls.push_back("show " + std::to_string(icon) + " " + tip);
  }
  void connectService() override { calls.push_back("connect"); }
  void disconnectService() override { calls.push_back("disconnect"); }
  void scheduleReconnect(int delay_ms) override {
    calls.push_back("reconnect in " + std::to_string(delay_ms));
  }
  void sendLine(const std::string& line) override { calls.push_back("send " + line); }
  void quit() override { calls.push_back("quit"); }
  void report(const std::string& message) override { calls.push_back("report " + message); }
  void raiseClient(bool report) override { calls.push_back(report ? "ask raise" : "raise"); }
  ResultCode startClient(std::unique_ptr<ChildProcess>* child) override {
    calls.push_back("start client");
    if (!can_start) return RC_NOT_AVAILABLE;
    *child = std::make_unique<FakeChildProcess>(clock_, client_ends_at);
    return RC_OK;
  }

  std::vector<std::string> take() { return std::exchange(calls, {}); }

  std::vector<std::string> calls;
  bool can_start = true;
  int64_t client_ends_at = FakeChildProcess::kNever;

 private:
  const Clock& clock_;
};

using Calls = std::vector<std::string>;

class TrayWindowTest : public ::testing::Test {
 protected:
  // Started, connected, and greeted by the service with the state it has before any event.
  void connectAndGreet() {
    tray_.start();
    tray_.onServiceConnected();
    tray_.onServiceLine("ICON 120 UPS Service.");
    shell_.take();
  }

  FakeClock clock_;
  RecordingShell shell_{clock_};
  TrayWindow tray_{shell_};
};

TEST_F(TrayWindowTest, StartsWithTheNormalIconAndTheFirstTipThenConnects) {
  tray_.start();
  EXPECT_EQ(shell_.take(), (Calls{"show 120 UPS Service.", "connect"}));
}

TEST_F(TrayWindowTest, EveryEventCodeShowsItsRowAndRaisesTheClientBelowEleven) {
  struct Row {
    int code;
    int icon;         // 0: the icon stays as it was
    const char* tip;  // null: the tip stays as it was
  };
  const Row rows[] = {
      {0, 0, nullptr},
      {1, 0, nullptr},
      {2, 116, "Can't communication with UPS !"},
      {3, 120, "UPS Communication established."},
      {4, 117, "UPS Power failure."},
      {5, 120, "UPS Power restore to normal."},
      {6, 118, "UPS Battery low."},
      {7, 120, "UPS Battery retore to normal."},
      {8, 0, nullptr},
      {9, 0, nullptr},
      {10, 0, nullptr},
      {11, 0, nullptr},
  };
  for (const Row& row : rows) {
    // Each row starts from a state no row puts up, so "unchanged" cannot pass by accident.
    TrayWindow tray(shell_);
    tray.start();
    tray.onServiceConnected();
    tray.onServiceLine("ICON 118 before");
    shell_.take();
    tray.onServiceLine("EVENT " + std::to_string(row.code));
    Calls expected;
    if (row.icon != 0) expected.push_back("show " + std::to_string(row.icon) + " " + row.tip);
    if (row.code < 11) expected.push_back("raise");
    EXPECT_EQ(shell_.take(), expected) << "code " << row.code;
    EXPECT_EQ(tray.display().icon(), row.icon != 0 ? row.icon : 118) << "code " << row.code;
    EXPECT_EQ(tray.display().tip(), row.tip != nullptr ? row.tip : "before") << "code " << row.code;
  }
}

TEST_F(TrayWindowTest, MainsFailsThenOverloadLeavesThePowerFailureIconUp) {
  connectAndGreet();
  tray_.onServiceLine("EVENT 4");
  EXPECT_EQ(shell_.take(), (Calls{"show 117 UPS Power failure.", "raise"}));
  tray_.onServiceLine("EVENT 8");
  tray_.onServiceLine("EVENT 9");
  EXPECT_EQ(shell_.take(), (Calls{"raise", "raise"}));
  EXPECT_EQ(tray_.display(), TrayDisplay(117, "UPS Power failure."));
}

TEST_F(TrayWindowTest, ARestartedTrayHostGetsTheLastIconAndTipAgain) {
  connectAndGreet();
  tray_.onServiceLine("EVENT 6");
  tray_.onServiceLine("EVENT 9");
  shell_.take();
  tray_.onTrayHostRestarted();
  EXPECT_EQ(shell_.take(), (Calls{"show 118 UPS Battery low."}));
}

TEST_F(TrayWindowTest, UpsManagementFirstStartsTheClientThenRaisesTheOneItStarted) {
  connectAndGreet();
  tray_.onManagementChosen();
  EXPECT_EQ(shell_.take(), (Calls{"ask raise"}));
  tray_.onRaiseAnswered(false);  // no client running
  EXPECT_EQ(shell_.take(), (Calls{"start client"}));
  ASSERT_NE(tray_.client(), nullptr);

  tray_.onManagementChosen();
  EXPECT_EQ(shell_.take(), (Calls{"raise"})) << "the started client still runs: raised, not asked";
  EXPECT_NE(tray_.client(), nullptr);
}

TEST_F(TrayWindowTest, UpsManagementRaisesAClientItDidNotStartAndForgetsOneThatEnded) {
  connectAndGreet();
  tray_.onManagementChosen();
  tray_.onRaiseAnswered(true);  // someone else's client took the request
  EXPECT_EQ(shell_.take(), (Calls{"ask raise"}));
  EXPECT_EQ(tray_.client(), nullptr);

  shell_.client_ends_at = clock_.monotonicMs() + 1000;
  tray_.onManagementChosen();
  tray_.onRaiseAnswered(false);
  ASSERT_NE(tray_.client(), nullptr);
  clock_.advance(1000);
  shell_.take();
  tray_.onManagementChosen();
  EXPECT_EQ(tray_.client(), nullptr) << "an ended client is forgotten";
  EXPECT_EQ(shell_.take(), (Calls{"ask raise"}));
  tray_.onRaiseAnswered(false);
  EXPECT_EQ(shell_.take(), (Calls{"start client"}));
  EXPECT_NE(tray_.client(), nullptr);
}

TEST_F(TrayWindowTest, AClickWhileTheFirstIsAnsweredStartsNoSecondClient) {
  connectAndGreet();
  tray_.onManagementChosen();
  tray_.onManagementChosen();
  tray_.onRaiseAnswered(false);
  tray_.onRaiseAnswered(false);  // a late answer nobody asked for
  EXPECT_EQ(shell_.take(), (Calls{"ask raise", "start client"}));

  shell_.can_start = false;
  TrayWindow other(shell_);
  other.onManagementChosen();
  other.onRaiseAnswered(false);
  EXPECT_EQ(shell_.take(),
            (Calls{"ask raise", "start client", "report cannot start the management client"}));
  EXPECT_EQ(other.client(), nullptr);
}

TEST_F(TrayWindowTest, ALostServiceShowsNotRunningAndIsRetriedWithGrowingWaits) {
  tray_.start();
  shell_.take();
  for (int delay : {250, 500, 1000, 2000, 4000, 5000, 5000}) {
    tray_.onServiceLost();  // the attempt failed
    tray_.onReconnectDue();
    Calls expected;
    if (delay == 250) expected.push_back("show 116 UPS Service is not running.");
    expected.push_back("reconnect in " + std::to_string(delay));
    expected.push_back("connect");
    EXPECT_EQ(shell_.take(), expected);
  }
  EXPECT_FALSE(tray_.connected());

  // Reached again: its state replaces "not running", and the next loss starts the waits anew.
  tray_.onServiceConnected();
  tray_.onServiceLine("ICON 117 UPS Power failure.");
  tray_.onServiceLost();
  EXPECT_EQ(shell_.take(), (Calls{"show 117 UPS Power failure.",
                                  "show 116 UPS Service is not running.", "reconnect in 250"}));
}

TEST_F(TrayWindowTest, AServiceThatDoesNotGreetOrSpeaksNonsenseIsDropped) {
  for (const char* first : {"EVENT 4", "ICON 120", "ICON 121 x", "HELLO", ""}) {
    TrayWindow tray(shell_);
    tray.start();
    tray.onServiceConnected();
    shell_.take();
    tray.onServiceLine(first);
    EXPECT_EQ(shell_.take(), (Calls{"disconnect", "show 116 UPS Service is not running.",
                                    "reconnect in 250"}))
        << first;
    EXPECT_FALSE(tray.connected());
  }
  connectAndGreet();
  tray_.onServiceLine("EVENT four");
  EXPECT_EQ(shell_.take().front(), "disconnect");
}

TEST_F(TrayWindowTest, ExitAsksAConnectedServiceToStopAndAlwaysEndsTheTray) {
  connectAndGreet();
  tray_.onExitChosen();
  EXPECT_EQ(shell_.take(), (Calls{"send EXIT\n", "quit"}));

  TrayWindow alone(shell_);
  alone.start();
  alone.onServiceLost();
  shell_.take();
  alone.onExitChosen();
  EXPECT_EQ(shell_.take(), (Calls{"quit"}));
}

TEST_F(TrayWindowTest, ARefusalIsReportedAndChangesNothingShown) {
  connectAndGreet();
  tray_.onServiceLine("ERR 33");
  EXPECT_EQ(shell_.take(), (Calls{"report the service refused a request: ERR 33"}));
  EXPECT_TRUE(tray_.connected());
}

}  // namespace
}  // namespace gw
