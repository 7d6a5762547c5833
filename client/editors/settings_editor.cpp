// Settings window logic.
#include "client/editors/settings_editor.h"

#include <algorithm>

#include "client/editors/integer_field.h"
#include "common/line_file.h"

namespace gw {
namespace {

constexpr const char* kPlaySoundKey = "start.sound.happen.max count";
// The sounds that "Play Sound" turns on and off together, in the order they are sent.
constexpr std::array<const char*, 6> kSoundKeys = {
    "start.sound.happen.max count",      "start.sound.restore.max count",
    "disconnect.sound.happen.max count", "batterylow.sound.happen.max count",
    "loadover.sound.happen.max count",   "tempover.sound.happen.max count"};
constexpr const char* kShutdownCountKey = "powerfail.shutdown.happen.max count";
constexpr const char* kShutdownDelayKey = "powerfail.shutdown.happen.delay";
constexpr const char* kWarningCountKey = "powerfail.sound.happen.max count";
constexpr const char* kWarningDelayKey = "powerfail.sound.happen.delay";
constexpr const char* kWarningIntervalKey = "powerfail.sound.happen.interval";
constexpr const char* kBuzzerKey = "service.buzzer on";
constexpr const char* kMediaTypeKey = "service.media type";
constexpr const char* kMediaIndexKey = "service.media index";

constexpr int kMediaTypeSerial = 2;
constexpr int kMediaTypeUsb = 3;

// Counts are stored unsigned ("4294967295" for -1): the low 32 bits are the number.
int numberOf(const std::optional<std::string>& text) {
  if (!text) return 0;
  return static_cast<int32_t>(static_cast<uint32_t>(parseLeadingInt(*text)));
}

const char* flag(bool on) { return on ? "1" : "0"; }

}  // namespace

SettingsEnabling settingsEnabling(bool shutdown_on, bool warning_on, bool warning_repeats) {
  return {shutdown_on, warning_on, warning_on, warning_on && warning_repeats};
}

SettingsEditor::SettingsEditor(EditorSession& session, RunMemory& memory)
    : session_(session), memory_(memory) {}

int SettingsEditor::policyNumber(const std::string& key) const {
  return numberOf(session_.policy(key));
}

int SettingsEditor::settingNumber(const std::string& key) const {
  return numberOf(session_.serviceSetting(key));
}

std::vector<std::string> SettingsEditor::mediaTexts() const {
  std::string automatic = "Auto";
  if (settingNumber(kMediaTypeKey) == kMediaAuto) {
    std::optional<int> type = session_.upsValue(UpsValue::kMediaType);
    std::optional<int> index = session_.upsValue(UpsValue::kMediaIndex);
    if (type == kMediaTypeSerial && index) {
      automatic += " (COM" + std::to_string(*index) + ")";
    } else if (type == kMediaTypeUsb) {
      automatic += " (USB)";
    }
  }
  return {"None", automatic, "USB", "COM1", "COM2", "COM3", "COM4"};
}

SettingsValues SettingsEditor::load() {
  SettingsValues v;
  const int type = settingNumber(kMediaTypeKey);
  if (type == kMediaNone || type == kMediaAuto) {
    v.media = type;
  } else if (type == kMediaTypeSerial) {
    v.media = kMediaUsb + session_.upsValue(UpsValue::kMediaIndex).value_or(1);
  } else if (type == kMediaTypeUsb) {
    v.media = kMediaUsb;
  }
  if (v.media >= kMediaChoiceCount) v.media = -1;  // a port the list does not have
  v.play_sound = policyNumber(kPlaySoundKey) != 0;
  v.shutdown_on = policyNumber(kShutdownCountKey) != 0;
  v.shutdown_delay = policyNumber(kShutdownDelayKey);
  const int warnings = policyNumber(kWarningCountKey);
  v.warning_on = warnings != 0;
  v.warning_repeats = warnings == -1;
  v.warning_delay = policyNumber(kWarningDelayKey);
  v.warning_interval = policyNumber(kWarningIntervalKey);
  v.buzzer = settingNumber(kBuzzerKey) != 0;
  before_ = v;
  loaded_ = true;
  ever_loaded_ = true;
  return v;
}

std::optional<SettingsValues> SettingsEditor::defaults() const {
  if (!loaded_) return std::nullopt;
  SettingsValues v = before_;  // the media choice has no default
  v.shutdown_delay = 30;
  v.play_sound = true;
  v.buzzer = true;
  v.shutdown_on = true;
  v.warning_on = true;
  v.warning_repeats = true;
  v.warning_delay = 10;
  v.warning_interval = 20;
  return v;
}

SettingsEditor::OkResult SettingsEditor::ok(const SettingsControls& controls) {
  if (!loaded_) return {Outcome::kClose, {}};
  if (expected_ > reported_) return {Outcome::kWait, {}};  // the changes are still on their way
  SettingsValues now;
  now.media = controls.media;
  now.play_sound = controls.play_sound;
  now.buzzer = controls.buzzer;
  now.shutdown_on = controls.shutdown_on;
  now.warning_on = controls.warning_on;
  now.warning_repeats = controls.warning_repeats;
  struct Field {
    const std::string& text;
    const FieldRange& range;
    int* value;
  } fields[] = {{controls.shutdown_delay, kShutdownDelayRange, &now.shutdown_delay},
                {controls.warning_delay, kWarningDelayRange, &now.warning_delay},
                {controls.warning_interval, kWarningIntervalRange, &now.warning_interval}};
  for (const Field& f : fields) {
    std::string message;
    if (!readIntegerField(f.text, f.range.ok_low, f.range.ok_high, f.value, &message)) {
      return {Outcome::kStay, message};
    }
  }
  bool settings = false;
  bool policies = false;
  stageChanges(now, &settings, &policies);
  if (!settings && !policies) return {Outcome::kClose, {}};
  expected_ = 0;
  reported_ = 0;
  failed_ = false;
  settings_tag_.reset();
  policies_tag_.reset();
  // The worker carries them out in this order.
  if (settings) {
    settings_tag_ = completionTagOf(session_.submit(EditorRequest::kSetServiceSettings));
    ++expected_;
  }
  if (policies) {
    policies_tag_ = completionTagOf(session_.submit(EditorRequest::kSetPolicies));
    ++expected_;
  }
  return {Outcome::kWait, {}};
}

void SettingsEditor::stageChanges(const SettingsValues& now, bool* settings, bool* policies) {
  auto policy = [&](const std::string& key, const std::string& value) {
    session_.stagePolicy(key, value);
    *policies = true;
  };
  auto setting = [&](const std::string& key, const std::string& value) {
    session_.stageServiceSetting(key, value);
    *settings = true;
  };
  if (now.media != before_.media && now.media >= 0) {
    int type = now.media;
    int index = 0;
    if (now.media == kMediaUsb) {
      type = kMediaTypeUsb;
    } else if (now.media >= kMediaCom1) {
      type = kMediaTypeSerial;
      index = now.media - kMediaUsb;
    }
    setting(kMediaIndexKey, std::to_string(index));
    setting(kMediaTypeKey, std::to_string(type));
  }
  if (now.play_sound != before_.play_sound) {
    for (const char* key : kSoundKeys) policy(key, flag(now.play_sound));
  }
  if (now.buzzer != before_.buzzer) setting(kBuzzerKey, flag(now.buzzer));
  if (now.shutdown_on != before_.shutdown_on) policy(kShutdownCountKey, flag(now.shutdown_on));
  if (now.shutdown_delay != before_.shutdown_delay) {
    policy(kShutdownDelayKey, std::to_string(now.shutdown_delay));
  }
  if (now.warning_delay != before_.warning_delay) {
    policy(kWarningDelayKey, std::to_string(now.warning_delay));
  }
  if (now.warning_interval != before_.warning_interval) {
    policy(kWarningIntervalKey, std::to_string(now.warning_interval));
  }
  if (now.warning_on != before_.warning_on || now.warning_repeats != before_.warning_repeats) {
    const int count = !now.warning_on ? 0 : now.warning_repeats ? -1 : 1;
    policy(kWarningCountKey, std::to_string(count));
  }
}

bool SettingsEditor::requestDone(uint32_t tag, int code, Outcome* outcome) {
  tag = completionTagOf(tag);
  if (settings_tag_ == tag) {
    settings_tag_.reset();
  } else if (policies_tag_ == tag) {
    policies_tag_.reset();
  } else {
    return false;
  }
  ++reported_;
  // Any refusal keeps the window open: closing after a later success would hide it.
  if (code != 0) failed_ = true;
  if (reported_ < expected_) {
    *outcome = Outcome::kWait;
  } else if (failed_) {
    loaded_ = false;
    *outcome = Outcome::kDisable;
  } else {
    *outcome = Outcome::kClose;
  }
  return true;
}

bool SettingsEditor::pressSelfTest(std::string_view length_text, SelfTestStep* step,
                                   std::string* message) {
  if (memory_.self_test_running) {
    session_.stageDeviceSetting(kSettingSelfTest, -1);
    (void)session_.submit(EditorRequest::kDeviceSettings);  // the status poll tells the outcome
    memory_.self_test_running = false;
    *step = {false, 0};
    return true;
  }
  int seconds = 0;
  if (!readIntegerField(length_text, kSelfTestLengthRange.ok_low, kSelfTestLengthRange.ok_high,
                        &seconds, message)) {
    return false;
  }
  session_.stageDeviceSetting(kSettingSelfTest, seconds);
  (void)session_.submit(EditorRequest::kDeviceSettings);
  memory_.self_test_running = true;
  *step = {true, std::max(seconds, 2) * 1000};
  return true;
}

SettingsEditor::SelfTestStep SettingsEditor::selfTestTick() {
  if (std::optional<int> running = session_.upsValue(UpsValue::kSelfTestRunning)) {
    memory_.self_test_running = *running != 0;
  }
  return {memory_.self_test_running, memory_.self_test_running ? 1000 : 0};
}

}  // namespace gw
