// Threshold rows over the UPS's allowed values, Default and OK.
#include "client/editors/ups_config_editor.h"

#include <gtest/gtest.h>

#include "testing/fake_editor_session.h"

namespace gw {
namespace {

using Log = std::vector<std::string>;

class UpsConfigEditorTest : public ::testing::Test {
 protected:
  UpsConfigEditorTest() {
    session_.allowed = {{kSettingBatteryLow, {20, 25, 30, 35, 40}},
                        {kSettingInputHigh, {250, 260, 270, 280}},
                        {kSettingInputLow, {160, 170, 180}},
                        {kSettingBatteryOut, {220, 230, 240}}};
    session_.device_settings = {{kSettingBatteryLow, 30}, {kSettingInputHigh, 265},
                                {kSettingInputLow, 180}, {kSettingColdStart, 0}};
  }

  FakeEditorSession session_;
  UpsConfigEditor editor_{session_};
};

TEST_F(UpsConfigEditorTest, PositionsAreTheFirstEqualElementOrTheFirst) {
  session_.allowed[kSettingInputLow] = {160, 180, 180};
  editor_.load();
  EXPECT_EQ(editor_.position(0), 2);
  EXPECT_EQ(editor_.value(0), 30);
  EXPECT_EQ(editor_.position(1), 0) << "265 is not allowed";
  EXPECT_EQ(editor_.value(1), 250);
  EXPECT_EQ(editor_.position(2), 1);
  EXPECT_EQ(editor_.position(3), 0) << "current value unknown";
  EXPECT_FALSE(editor_.coldStart());
  session_.allowed.erase(kSettingBatteryOut);
  editor_.load();
  EXPECT_EQ(editor_.count(3), 0);
  EXPECT_EQ(editor_.value(3), 0);
  editor_.step(3, 1);
  EXPECT_EQ(editor_.position(3), 0);
}

TEST_F(UpsConfigEditorTest, StepsAreOneAndClamped) {
  editor_.load();
  editor_.step(0, 1);
  editor_.step(0, 1);
  editor_.step(0, 1);
  EXPECT_EQ(editor_.position(0), 4);
  editor_.moveTo(0, -3);
  EXPECT_EQ(editor_.position(0), 0);
  editor_.step(0, -1);
  EXPECT_EQ(editor_.value(0), 20);
}

TEST_F(UpsConfigEditorTest, DefaultTakesTheKnownDefaultOrTheMiddleElement) {
  editor_.defaults();
  EXPECT_EQ(editor_.position(0), 0) << "not loaded: nothing moves";
  editor_.load();
  session_.device_defaults = {{kSettingInputLow, 160}, {kSettingBatteryOut, 999}};
  editor_.defaults();
  EXPECT_EQ(editor_.value(0), 30) << "the third of five";
  EXPECT_EQ(editor_.value(1), 270) << "the third of four";
  EXPECT_EQ(editor_.value(2), 160);
  EXPECT_EQ(editor_.value(3), 230) << "a default the list lacks";
  EXPECT_TRUE(editor_.coldStart()) << "no default: on";
  session_.device_defaults[kSettingColdStart] = 0;
  editor_.defaults();
  EXPECT_FALSE(editor_.coldStart());
  EXPECT_TRUE(session_.log.empty());
}

TEST_F(UpsConfigEditorTest, OkSendsTheChangedRowsOnceAndRestoresOnRefusal) {
  EXPECT_EQ(editor_.ok(), UpsConfigEditor::Outcome::kClose) << "not loaded";
  editor_.load();
  EXPECT_EQ(editor_.ok(), UpsConfigEditor::Outcome::kClose) << "nothing changed";
  editor_.step(2, -1);
  editor_.step(0, 1);
  editor_.setColdStart(true);
  EXPECT_EQ(editor_.ok(), UpsConfigEditor::Outcome::kWait);
  EXPECT_EQ(editor_.ok(), UpsConfigEditor::Outcome::kIgnored);
  EXPECT_EQ(session_.log, (Log{"device 4=35", "device 3=170", "device 6=1",
                               "submit DeviceSettings"}));
  UpsConfigEditor::Outcome outcome;
  EXPECT_FALSE(editor_.requestDone(session_.last_tag + 1, 0, &outcome));
  // The service took the battery-low value and refused the rest.
  session_.device_settings[kSettingBatteryLow] = 35;
  ASSERT_TRUE(editor_.requestDone(session_.last_tag, 4, &outcome));
  EXPECT_EQ(outcome, UpsConfigEditor::Outcome::kRestored);
  EXPECT_EQ(editor_.value(0), 35);
  EXPECT_EQ(editor_.value(2), 180);
  EXPECT_FALSE(editor_.coldStart());
  EXPECT_EQ(editor_.ok(), UpsConfigEditor::Outcome::kClose) << "what the UPS holds is unchanged";
  editor_.step(3, 1);
  session_.log.clear();
  EXPECT_EQ(editor_.ok(), UpsConfigEditor::Outcome::kWait);
  EXPECT_EQ(session_.log, (Log{"device 5=230", "submit DeviceSettings"}));
  ASSERT_TRUE(editor_.requestDone(session_.last_tag, 0, &outcome));
  EXPECT_EQ(outcome, UpsConfigEditor::Outcome::kClose);
}

}  // namespace
}  // namespace gw
