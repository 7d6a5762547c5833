// The UPS configuration window's logic: four rows that each choose one of the values the UPS
// allows, and "Cold Start"; Default; and OK, which sends only what changed and puts the rows
// back to what the UPS accepted when a setting is refused.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "client/editors/editor_session.h"

namespace gw {

struct ThresholdRowInfo {
  const char* label;
  const char* unit;
  int item;  // device-setting item
};
inline constexpr int kThresholdRows = 4;
inline constexpr std::array<ThresholdRowInfo, kThresholdRows> kThresholdRowInfo = {{
    {"Low Battery Voltage", "%", kSettingBatteryLow},
    {"High - Voltage Failure", "V", kSettingInputHigh},
    {"Low - Voltage Failure", "V", kSettingInputLow},
    {"Battery Mode Output Voltage", "V", kSettingBatteryOut},
}};

class UpsConfigEditor {
 public:
  enum class Outcome {
    kClose,
    kIgnored,   // a request is still in flight
    kWait,      // the request is on its way: wait cursor
    kRestored,  // refused: beep; the rows show what the UPS accepted
  };

  // The session must outlive the editor.
  explicit UpsConfigEditor(EditorSession& session) : session_(session) {}

  bool loaded() const { return loaded_; }
  // The first availability after opening: takes the allowed lists and the current values.
  void load();

  int count(int row) const { return static_cast<int>(rows_[row].allowed.size()); }
  int position(int row) const { return rows_[row].position; }
  // The element at the row's position; 0 when its list is empty.
  int value(int row) const;
  bool coldStart() const { return cold_start_; }

  // One line, page or home/end step (-1 or +1), clamped to the list.
  void step(int row, int direction);
  // The thumb is dragged to a position.
  void moveTo(int row, int position);
  void setColdStart(bool on) { cold_start_ = on; }
  // Each row takes the UPS's default, or the middle of its list; "Cold Start" its default, or
  // on. Nothing is sent. Only when loaded.
  void defaults();

  Outcome ok();
  // A completion; false when the tag is not the request in flight.
  [[nodiscard]] bool requestDone(uint32_t tag, int code, Outcome* outcome);

 private:
  struct Row {
    std::vector<int> allowed;
    int loaded_position = 0;
    int position = 0;
  };

  int positionOf(int row, std::optional<int> value) const;
  // Every row and "Cold Start" to the cached current values, which both positions then hold.
  void takeCurrentValues();

  EditorSession& session_;
  std::array<Row, kThresholdRows> rows_;
  bool loaded_ = false;
  bool cold_start_ = false;
  bool loaded_cold_start_ = false;
  std::optional<uint32_t> tag_;
};

}  // namespace gw
