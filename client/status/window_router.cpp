// Routing of completions and data-state messages among the window slots.
#include "client/status/window_router.h"

namespace gw {

int slotForWindowId(int id) {
  switch (id) {
    case kWindowIdStatus:
      return kSlotStatus;
    case kWindowIdLog:
      return kSlotLog;
    case kWindowIdSettings:
      return kSlotSettings;
    case kWindowIdSchedule:
      return kSlotSchedule;
    case kWindowIdAbout:
      return kSlotAbout;
    case kWindowIdUpsConfig:
      return kSlotUpsConfig;
    default:
      return kNoSlot;
  }
}

void WindowRouter::windowClosed(int slot) {
  for (auto it = waiting_.begin(); it != waiting_.end();) {
    it = it->second == slot ? waiting_.erase(it) : std::next(it);
  }
}

WindowRouter::Routed WindowRouter::requestDone(uint32_t message) {
  Routed r;
  const uint32_t tag = completionTag(message);
  auto it = waiting_.find(tag);
  if (it != waiting_.end()) {
    r.forward_to = it->second;
    waiting_.erase(it);
    return r;
  }
  if (tag == 0) {
    // The end of an older-records fetch: the service answers, whatever the UPS does.
    if (completionCode(message) == 0) {
      comm_up_ = true;
      r.notes.push_back({kSlotSettings, true, 1});
    }
    return r;
  }
  if (tag == own_.properties) {
    props_for_status_ = props_for_config_ = true;
    r.notes = {{kSlotUpsConfig, true, 0}, {kSlotStatus, true, 0}, {kSlotAbout, true, 0}};
  } else if (tag == own_.service_settings || tag == own_.policies) {
    (tag == own_.service_settings ? settings_seen_ : policies_seen_) = true;
    if (settings_seen_ && policies_seen_ && !settings_and_policies_) {
      settings_and_policies_ = true;
      r.notes.push_back({kSlotSettings, true, 0});
    }
  } else if (tag == own_.schedule) {
    schedule_loaded_ = true;
    r.notes.push_back({kSlotSchedule, true, 0});
  }
  return r;
}

std::vector<DataStateNote> WindowRouter::commChanged(bool up, bool* resubscribe) {
  *resubscribe = false;
  if (up) {
    comm_up_ = true;
    return {{kSlotSettings, true, 1}};
  }
  *resubscribe = true;
  props_for_status_ = props_for_config_ = false;
  comm_up_ = false;
  return {{kSlotStatus, false, 0},
          {kSlotAbout, false, 0},
          {kSlotUpsConfig, false, 0},
          {kSlotSettings, false, 1}};
}

std::vector<DataStateNote> WindowRouter::windowOpened(int slot) const {
  std::vector<DataStateNote> out;
  switch (slot) {
    case kSlotStatus:
    case kSlotAbout:
      if (props_for_status_) out.push_back({slot, true, 0});
      break;
    case kSlotSettings:
      if (settings_and_policies_) out.push_back({slot, true, 0});
      if (comm_up_) out.push_back({slot, true, 1});
      break;
    case kSlotSchedule:
      if (schedule_loaded_) out.push_back({slot, true, 0});
      break;
    case kSlotUpsConfig:
      if (props_for_config_) out.push_back({slot, true, 0});
      break;
    default:
      break;
  }
  return out;
}

}  // namespace gw
