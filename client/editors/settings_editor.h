// The settings window's logic: what its controls show from the cached policy and settings
// tables, the enabling rules, Default, and what OK stages and when the window may close; and
// the self-test button with its timer.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "client/editors/editor_session.h"
#include "client/editors/run_memory.h"

namespace gw {

// A number field: what its spin steps through, and what OK accepts when typed.
struct FieldRange {
  int spin_low;
  int spin_high;
  int ok_low;
  int ok_high;
};
inline constexpr FieldRange kShutdownDelayRange{1, 3600, 0, 36000};
inline constexpr FieldRange kWarningDelayRange{10, 60, 0, 60};
inline constexpr FieldRange kWarningIntervalRange{10, 600, 0, 180};
inline constexpr FieldRange kSelfTestLengthRange{1, 999, 0, 999};

// Items of the media list.
enum MediaChoice : int { kMediaNone, kMediaAuto, kMediaUsb, kMediaCom1, kMediaCom4 = 6 };
inline constexpr int kMediaChoiceCount = 7;

struct SettingsValues {
  int media = -1;  // list index; -1 selects nothing
  bool play_sound = false;
  bool buzzer = false;
  bool shutdown_on = false;
  int shutdown_delay = 0;
  bool warning_on = false;
  int warning_delay = 0;
  bool warning_repeats = false;
  int warning_interval = 0;
};

// What the controls hold when OK is pressed; the numbers as typed.
struct SettingsControls {
  int media = -1;
  bool play_sound = false;
  bool buzzer = false;
  bool shutdown_on = false;
  std::string shutdown_delay;
  bool warning_on = false;
  std::string warning_delay;
  bool warning_repeats = false;
  std::string warning_interval;
};

// Which number fields (and the repeats check box) are enabled for the check boxes' states.
struct SettingsEnabling {
  bool shutdown_delay;
  bool warning_delay;
  bool warning_repeats;
  bool warning_interval;
};
SettingsEnabling settingsEnabling(bool shutdown_on, bool warning_on, bool warning_repeats);

class SettingsEditor {
 public:
  enum class Outcome {
    kClose,    // close the window
    kStay,     // stay open (a field was refused; the message says why)
    kWait,     // requests are in flight: wait cursor, nothing to do yet
    kDisable,  // a change was refused: the Setup group is disabled, the window stays open
  };
  struct OkResult {
    Outcome outcome;
    std::string message;
  };
  // The self-test button's state after a press or a tick of its timer.
  struct SelfTestStep {
    bool running;
    int timer_ms;  // restart the timer with this period; 0 stops it
  };

  // Both must outlive the editor.
  SettingsEditor(EditorSession& session, RunMemory& memory);

  // The media list, item 1 naming the medium in use when the service chooses it.
  std::vector<std::string> mediaTexts() const;

  bool loaded() const { return loaded_; }
  // Whether the cache has been read since the window opened.
  bool everLoaded() const { return ever_loaded_; }
  // Reads the cached tables; the values the controls show and what OK compares with.
  SettingsValues load();
  // The tables are no longer available.
  void unload() { loaded_ = false; }
  // Default's values; nothing is sent. Empty when not loaded.
  std::optional<SettingsValues> defaults() const;

  OkResult ok(const SettingsControls& controls);
  // A completion; false when the tag is not one of this window's change requests.
  [[nodiscard]] bool requestDone(uint32_t tag, int code, Outcome* outcome);

  // "Run" starts a test of the typed length, "Cancel" stops the running one. False, with the
  // message, when the length is refused.
  [[nodiscard]] bool pressSelfTest(std::string_view length_text, SelfTestStep* step,
                                   std::string* message);
  // The timer's tick, and its first run when the window loads during a test.
  SelfTestStep selfTestTick();
  bool selfTestRunning() const { return memory_.self_test_running; }

 private:
  int policyNumber(const std::string& key) const;
  int settingNumber(const std::string& key) const;
  void stageChanges(const SettingsValues& now, bool* settings, bool* policies);

  EditorSession& session_;
  RunMemory& memory_;
  bool loaded_ = false;
  bool ever_loaded_ = false;
  SettingsValues before_;
  std::optional<uint32_t> settings_tag_;
  std::optional<uint32_t> policies_tag_;
  int expected_ = 0;
  int reported_ = 0;
  bool failed_ = false;
};

}  // namespace gw
