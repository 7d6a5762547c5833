// Editor requests and reads over the client session.
#include "client/editwin/session_editor_link.h"

#include "client/session/client_session.h"

namespace gw {
namespace {

std::optional<int> known(const CachedInt& item) {
  Cached<int> v = item.get();
  if (v.code != RC_OK) return std::nullopt;
  return v.value;
}

// The cache's current value, default and allowed values of device-setting items 2..6.
struct SettingSlots {
  int item;
  PropertyItem current;
  PropertyItem fallback;
  int range;  // RangeItem, or -1
};
constexpr SettingSlots kSettingSlots[] = {
    {kSettingInputHigh, kPropInputHigh, kPropInputHighDefault, kRangeInputHigh},
    {kSettingInputLow, kPropInputLow, kPropInputLowDefault, kRangeInputLow},
    {kSettingBatteryLow, kPropBatteryLow, kPropBatteryLowDefault, kRangeBatteryLow},
    {kSettingBatteryOut, kPropBatteryOut, kPropBatteryOutDefault, kRangeBatteryOut},
    {kSettingColdStart, kPropColdStart, kPropColdStartDefault, -1},
};

const SettingSlots* slotsOf(int item) {
  for (const SettingSlots& s : kSettingSlots) {
    if (s.item == item) return &s;
  }
  return nullptr;
}

}  // namespace

std::optional<std::string> SessionEditorLink::policy(const std::string& key) const {
  return host_.session().cache().policy(key);
}

std::optional<std::string> SessionEditorLink::serviceSetting(const std::string& key) const {
  Cached<SessionCache::Table> table = host_.session().cache().serviceSettings();
  auto it = table.value.find(key);
  if (it == table.value.end()) return std::nullopt;
  return it->second;
}

std::optional<int> SessionEditorLink::upsValue(UpsValue which) const {
  const SessionCache& cache = host_.session().cache();
  switch (which) {
    case UpsValue::kMediaType:
      return known(cache.properties[kPropMediaType]);
    case UpsValue::kMediaIndex:
      return known(cache.properties[kPropMediaIndex]);
    case UpsValue::kSelfTestRunning:
      return known(cache.status[STATUS_TEST]);
  }
  return std::nullopt;
}

std::optional<int> SessionEditorLink::deviceSetting(int item, bool default_value) const {
  const SettingSlots* cells = slotsOf(item);
  if (!cells) return std::nullopt;
  return known(host_.session().cache().properties[default_value ? cells->fallback
                                                                 : cells->current]);
}

std::optional<std::vector<int>> SessionEditorLink::allowedValues(int item) const {
  const SettingSlots* cells = slotsOf(item);
  if (!cells || cells->range < 0) return std::nullopt;
  Cached<std::vector<int>> range =
      host_.session().cache().range(static_cast<RangeItem>(cells->range));
  if (range.code != RC_OK) return std::nullopt;
  return range.value;
}

std::vector<std::string> SessionEditorLink::scheduleLines() const {
  return host_.session().cache().schedule().value;
}

int64_t SessionEditorLink::nowMs() const { return host_.session().nowMs(); }

std::string SessionEditorLink::pageFile(int log, bool newer) const {
  return host_.session().pageFiles().path(log, newer);
}

void SessionEditorLink::stagePolicy(const std::string& key, const std::string& value) {
  host_.session().stagePolicy(key, value);
}

void SessionEditorLink::stageServiceSetting(const std::string& key, const std::string& value) {
  host_.session().stageServiceSetting(key, value);
}

void SessionEditorLink::stageDeviceSetting(int item, int value) {
  host_.session().stageDeviceSetting(item, value);
}

void SessionEditorLink::stageLogOp(int operation, int log) {
  host_.session().stageLogOp(operation, log);
}

void SessionEditorLink::stageSchedule(const std::vector<std::string>& lines) {
  host_.session().stageSchedule(lines);
}

uint32_t SessionEditorLink::submit(EditorRequest request) {
  int kind = kRequestLogOps;
  switch (request) {
    case EditorRequest::kLogOps:
      kind = kRequestLogOps;
      break;
    case EditorRequest::kDeviceSettings:
      kind = kRequestDeviceSettings;
      break;
    case EditorRequest::kSetSchedule:
      kind = kRequestSetSchedule;
      break;
    case EditorRequest::kSetPolicies:
      kind = kRequestSetPolicies;
      break;
    case EditorRequest::kSetServiceSettings:
      kind = kRequestSetServiceSettings;
      break;
  }
  return host_.submitFor(slot_, kind);
}

uint32_t SessionEditorLink::subscribeLogGrew(int log) {
  return host_.submitFor(slot_, kNoticeEventLogGrew + log);
}

}  // namespace gw
