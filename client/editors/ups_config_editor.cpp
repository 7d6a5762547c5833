// UPS configuration window logic.
#include "client/editors/ups_config_editor.h"

#include <algorithm>

namespace gw {

int UpsConfigEditor::positionOf(int row, std::optional<int> value) const {
  if (!value) return -1;
  const std::vector<int>& allowed = rows_[row].allowed;
  auto it = std::find(allowed.begin(), allowed.end(), *value);
  return it == allowed.end() ? -1 : static_cast<int>(it - allowed.begin());
}

void UpsConfigEditor::takeCurrentValues() {
  for (int r = 0; r < kThresholdRows; ++r) {
    const int found =
        positionOf(r, session_.deviceSetting(kThresholdRowInfo[r].item, false));
    rows_[r].position = rows_[r].loaded_position = std::max(found, 0);
  }
  if (std::optional<int> cold = session_.deviceSetting(kSettingColdStart, false)) {
    cold_start_ = *cold != 0;
  }
  loaded_cold_start_ = cold_start_;
}

void UpsConfigEditor::load() {
  for (int r = 0; r < kThresholdRows; ++r) {
    rows_[r].allowed = session_.allowedValues(kThresholdRowInfo[r].item).value_or(std::vector<int>{});
  }
  takeCurrentValues();
  loaded_ = true;
}

int UpsConfigEditor::value(int row) const {
  const Row& r = rows_[row];
  return r.allowed.empty() ? 0 : r.allowed[static_cast<size_t>(r.position)];
}

void UpsConfigEditor::moveTo(int row, int position) {
  Row& r = rows_[row];
  r.position = std::clamp(position, 0, std::max(count(row) - 1, 0));
}

void UpsConfigEditor::step(int row, int direction) {
  moveTo(row, rows_[row].position + (direction < 0 ? -1 : 1));
}

void UpsConfigEditor::defaults() {
  if (!loaded_) return;
  for (int r = 0; r < kThresholdRows; ++r) {
    // A default the list does not hold cannot be shown; the middle element stands in for it.
    const int found = positionOf(r, session_.deviceSetting(kThresholdRowInfo[r].item, true));
    moveTo(r, found >= 0 ? found : count(r) / 2);
  }
  cold_start_ = session_.deviceSetting(kSettingColdStart, true).value_or(1) != 0;
}

UpsConfigEditor::Outcome UpsConfigEditor::ok() {
  if (!loaded_) return Outcome::kClose;
  if (tag_) return Outcome::kIgnored;
  bool staged = false;
  for (int r = 0; r < kThresholdRows; ++r) {
    if (rows_[r].position == rows_[r].loaded_position) continue;
    session_.stageDeviceSetting(kThresholdRowInfo[r].item, value(r));
    staged = true;
  }
  if (cold_start_ != loaded_cold_start_) {
    session_.stageDeviceSetting(kSettingColdStart, cold_start_ ? 1 : 0);
    staged = true;
  }
  if (!staged) return Outcome::kClose;
  tag_ = completionTagOf(session_.submit(EditorRequest::kDeviceSettings));
  return Outcome::kWait;
}

bool UpsConfigEditor::requestDone(uint32_t tag, int code, Outcome* outcome) {
  if (tag_ != completionTagOf(tag)) return false;
  tag_.reset();
  if (code == 0) {
    *outcome = Outcome::kClose;
    return true;
  }
  takeCurrentValues();
  *outcome = Outcome::kRestored;
  return true;
}

}  // namespace gw
