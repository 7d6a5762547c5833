// What the settings window stages from its controls, and when it closes.
#include "client/editors/settings_editor.h"

#include <gtest/gtest.h>

#include "testing/fake_editor_session.h"

namespace gw {
namespace {

using Log = std::vector<std::string>;

class SettingsEditorTest : public ::testing::Test {
 protected:
  SettingsEditorTest() {
    // What a fresh service answers.
    session_.policies = {{"start.sound.happen.max count", "1"},
                         {"powerfail.shutdown.happen.max count", "1"},
                         {"powerfail.shutdown.happen.delay", "30"},
                         {"powerfail.sound.happen.max count", "4294967295"},
                         {"powerfail.sound.happen.delay", "10"},
                         {"powerfail.sound.happen.interval", "20"}};
    session_.settings = {{"service.buzzer on", "1"},
                         {"service.media type", "1"},
                         {"service.media index", "0"}};
  }

  // The controls showing what was loaded.
  SettingsControls controlsFor(const SettingsValues& v) {
    return {v.media,        v.play_sound, v.buzzer,
            v.shutdown_on,  std::to_string(v.shutdown_delay),
            v.warning_on,   std::to_string(v.warning_delay),
            v.warning_repeats, std::to_string(v.warning_interval)};
  }

  FakeEditorSession session_;
  RunMemory memory_;
  SettingsEditor editor_{session_, memory_};
};

TEST_F(SettingsEditorTest, LoadsTheCachedTablesAndNamesTheMediumInUse) {
  session_.ups_values = {{UpsValue::kMediaType, 2}, {UpsValue::kMediaIndex, 2}};
  SettingsValues v = editor_.load();
  EXPECT_EQ(v.media, kMediaAuto);
  EXPECT_TRUE(v.play_sound && v.buzzer && v.shutdown_on && v.warning_on);
  EXPECT_TRUE(v.warning_repeats) << "4294967295 is the count -1";
  EXPECT_EQ(v.shutdown_delay, 30);
  EXPECT_EQ(v.warning_delay, 10);
  EXPECT_EQ(v.warning_interval, 20);
  EXPECT_EQ(editor_.mediaTexts(),
            (Log{"None", "Auto (COM2)", "USB", "COM1", "COM2", "COM3", "COM4"}));
  session_.ups_values[UpsValue::kMediaType] = 3;
  EXPECT_EQ(editor_.mediaTexts()[1], "Auto (USB)");
  session_.settings["service.media type"] = "2";  // chosen by hand: the list says no more
  EXPECT_EQ(editor_.mediaTexts()[1], "Auto");
  EXPECT_EQ(editor_.load().media, kMediaCom1 + 1) << "serial with the UPS's index 2";
  session_.ups_values.clear();
  EXPECT_EQ(editor_.load().media, kMediaCom1) << "an unknown index is 1";
  session_.settings["service.media type"] = "3";
  EXPECT_EQ(editor_.load().media, kMediaUsb);
}

TEST_F(SettingsEditorTest, EnablingRules) {
  SettingsEnabling e = settingsEnabling(false, true, false);
  EXPECT_FALSE(e.shutdown_delay);
  EXPECT_TRUE(e.warning_delay && e.warning_repeats);
  EXPECT_FALSE(e.warning_interval);
  EXPECT_TRUE(settingsEnabling(true, true, true).warning_interval);
  e = settingsEnabling(true, false, true);
  EXPECT_TRUE(e.shutdown_delay);
  EXPECT_FALSE(e.warning_delay || e.warning_repeats || e.warning_interval);
}

TEST_F(SettingsEditorTest, OnlyTheBuzzerSendsOneServiceSettingAndClosesOnItsSuccess) {
  SettingsControls c = controlsFor(editor_.load());
  c.buzzer = false;
  SettingsEditor::OkResult r = editor_.ok(c);
  EXPECT_EQ(r.outcome, SettingsEditor::Outcome::kWait);
  EXPECT_EQ(session_.log, (Log{"setting service.buzzer on=0", "submit SetServiceSettings"}));
  SettingsEditor::Outcome outcome;
  EXPECT_FALSE(editor_.requestDone(99, 0, &outcome));
  ASSERT_TRUE(editor_.requestDone(session_.last_tag, 0, &outcome));
  EXPECT_EQ(outcome, SettingsEditor::Outcome::kClose);
}

TEST_F(SettingsEditorTest, WarningCountFollowsBothCheckBoxes) {
  struct Case {
    bool warning_on, repeats;
    const char* staged;
  } cases[] = {{false, true, "policy powerfail.sound.happen.max count=0"},
               {true, false, "policy powerfail.sound.happen.max count=1"},
               {false, false, "policy powerfail.sound.happen.max count=0"}};
  for (const Case& k : cases) {
    session_.log.clear();
    SettingsControls c = controlsFor(editor_.load());
    c.warning_on = k.warning_on;
    c.warning_repeats = k.repeats;
    (void)editor_.ok(c);
    EXPECT_EQ(session_.log, (Log{k.staged, "submit SetPolicies"}));
    SettingsEditor::Outcome outcome;
    ASSERT_TRUE(editor_.requestDone(session_.last_tag, 0, &outcome));
  }
  session_.policies["powerfail.sound.happen.max count"] = "0";
  session_.log.clear();
  SettingsControls c = controlsFor(editor_.load());
  c.warning_on = c.warning_repeats = true;
  (void)editor_.ok(c);
  EXPECT_EQ(session_.log.front(), "policy powerfail.sound.happen.max count=-1");
}

TEST_F(SettingsEditorTest, MediaChoicesStoreTheIndexThenTheType) {
  struct Case {
    int media;
    const char* index;
    const char* type;
  } cases[] = {{kMediaCom1 + 2, "service.media index=3", "service.media type=2"},
               {kMediaUsb, "service.media index=0", "service.media type=3"},
               {kMediaNone, "service.media index=0", "service.media type=0"}};
  for (const Case& k : cases) {
    session_.log.clear();
    SettingsControls c = controlsFor(editor_.load());
    c.media = k.media;
    (void)editor_.ok(c);
    EXPECT_EQ(session_.log, (Log{std::string("setting ") + k.index,
                                 std::string("setting ") + k.type, "submit SetServiceSettings"}));
    SettingsEditor::Outcome outcome;
    ASSERT_TRUE(editor_.requestDone(session_.last_tag, 0, &outcome));
  }
}

TEST_F(SettingsEditorTest, EverythingChangedIsStagedInOrderAndCountedToTheLastReport) {
  SettingsControls c = controlsFor(editor_.load());
  c.media = kMediaCom1;
  c.play_sound = false;
  c.buzzer = false;
  c.shutdown_on = false;
  c.shutdown_delay = "36000";
  c.warning_delay = "0";
  c.warning_interval = "180";
  c.warning_on = false;
  ASSERT_EQ(editor_.ok(c).outcome, SettingsEditor::Outcome::kWait);
  EXPECT_EQ(session_.log, (Log{"setting service.media index=1",
                               "setting service.media type=2",
                               "policy start.sound.happen.max count=0",
                               "policy start.sound.restore.max count=0",
                               "policy disconnect.sound.happen.max count=0",
                               "policy batterylow.sound.happen.max count=0",
                               "policy loadover.sound.happen.max count=0",
                               "policy tempover.sound.happen.max count=0",
                               "setting service.buzzer on=0",
                               "policy powerfail.shutdown.happen.max count=0",
                               "policy powerfail.shutdown.happen.delay=36000",
                               "policy powerfail.sound.happen.delay=0",
                               "policy powerfail.sound.happen.interval=180",
                               "policy powerfail.sound.happen.max count=0",
                               "submit SetServiceSettings",
                               "submit SetPolicies"}));
  const uint32_t settings_tag = session_.last_tag - 1;
  SettingsEditor::Outcome outcome;
  EXPECT_EQ(editor_.ok(c).outcome, SettingsEditor::Outcome::kWait) << "a second press waits";
  ASSERT_TRUE(editor_.requestDone(settings_tag, 30, &outcome));
  EXPECT_EQ(outcome, SettingsEditor::Outcome::kWait);
  ASSERT_TRUE(editor_.requestDone(session_.last_tag, 0, &outcome));
  EXPECT_EQ(outcome, SettingsEditor::Outcome::kDisable) << "an earlier refusal is not hidden";
  EXPECT_FALSE(editor_.loaded());
  EXPECT_EQ(editor_.ok(c).outcome, SettingsEditor::Outcome::kClose);
}

TEST_F(SettingsEditorTest, OutOfRangeEntriesAreRefusedBeforeAnythingIsSent) {
  SettingsControls c = controlsFor(editor_.load());
  c.warning_interval = "200";
  SettingsEditor::OkResult r = editor_.ok(c);
  EXPECT_EQ(r.outcome, SettingsEditor::Outcome::kStay);
  EXPECT_EQ(r.message, "Please enter an integer between 0 and 180.");
  c.warning_interval = "20";
  c.shutdown_delay = "36001";
  EXPECT_EQ(editor_.ok(c).message, "Please enter an integer between 0 and 36000.");
  c.shutdown_delay = "3O";
  EXPECT_EQ(editor_.ok(c).message, "Please enter an integer.");
  c.shutdown_delay = " 30 ";
  EXPECT_EQ(editor_.ok(c).outcome, SettingsEditor::Outcome::kClose) << "nothing changed";
  EXPECT_TRUE(session_.log.empty());
}

TEST_F(SettingsEditorTest, OkBeforeLoadingClosesAndDefaultSendsNothing) {
  EXPECT_EQ(editor_.ok(SettingsControls{}).outcome, SettingsEditor::Outcome::kClose);
  EXPECT_FALSE(editor_.defaults());
  session_.policies["powerfail.shutdown.happen.delay"] = "90";
  session_.policies["powerfail.sound.happen.max count"] = "0";
  editor_.load();
  std::optional<SettingsValues> d = editor_.defaults();
  ASSERT_TRUE(d);
  EXPECT_EQ(d->shutdown_delay, 30);
  EXPECT_TRUE(d->warning_on && d->warning_repeats);
  EXPECT_EQ(d->warning_delay, 10);
  EXPECT_EQ(d->warning_interval, 20);
  EXPECT_TRUE(session_.log.empty());
}

TEST_F(SettingsEditorTest, SelfTestRunsForItsLengthThenPollsEverySecond) {
  SettingsEditor::SelfTestStep step;
  std::string message;
  EXPECT_FALSE(editor_.pressSelfTest("1000", &step, &message));
  EXPECT_EQ(message, "Please enter an integer between 0 and 999.");
  ASSERT_TRUE(editor_.pressSelfTest("1", &step, &message));
  EXPECT_TRUE(step.running);
  EXPECT_EQ(step.timer_ms, 2000) << "never sooner than 2 s";
  EXPECT_EQ(session_.log, (Log{"device 7=1", "submit DeviceSettings"}));
  EXPECT_TRUE(memory_.self_test_running);
  step = editor_.selfTestTick();  // the status not known yet: still running
  EXPECT_EQ(step.timer_ms, 1000);
  session_.ups_values[UpsValue::kSelfTestRunning] = 0;
  step = editor_.selfTestTick();
  EXPECT_FALSE(step.running);
  EXPECT_EQ(step.timer_ms, 0);

  session_.log.clear();
  ASSERT_TRUE(editor_.pressSelfTest("45", &step, &message));
  EXPECT_EQ(step.timer_ms, 45000);
  ASSERT_TRUE(editor_.pressSelfTest("45", &step, &message));
  EXPECT_FALSE(step.running);
  EXPECT_EQ(session_.log, (Log{"device 7=45", "submit DeviceSettings", "device 7=-1",
                               "submit DeviceSettings"}));
}

}  // namespace
}  // namespace gw
