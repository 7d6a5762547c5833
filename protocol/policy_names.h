// The names of the event policy: events, actions, phases and parameters, in the order of the
// "protect" file, as they appear in policy keys such as "powerfail.shutdown.happen.max count".
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace gw {

enum EventId : int {
  EVENT_START = 0,
  EVENT_DISCONNECT = 1,
  EVENT_POWERFAIL = 2,
  EVENT_BATTERYLOW = 3,
  EVENT_LOADOVER = 4,
  EVENT_TEMPOVER = 5,
};
inline constexpr size_t kEventCount = 6;
inline constexpr std::array<std::string_view, kEventCount> kEventNames = {
    "start", "disconnect", "powerfail", "batterylow", "loadover", "tempover"};

// The code stored in the event log and shown to clients: event × 2, plus 1 for the restore.
constexpr int eventCode(EventId event, bool restore) {
  return static_cast<int>(event) * 2 + (restore ? 1 : 0);
}

enum ActionId : int {
  ACTION_RECORD = 0,
  ACTION_BROADCAST = 1,
  ACTION_SOUND = 2,
  ACTION_COMMAND = 3,
  ACTION_EMAIL = 4,
  ACTION_PAGER = 5,
  ACTION_PHONE = 6,
  ACTION_SHUTDOWN = 7,
  ACTION_SMS = 8,
};
inline constexpr size_t kActionCount = 9;
inline constexpr std::array<std::string_view, kActionCount> kActionNames = {
    "record", "broadcast", "sound", "command", "email", "pager", "phone", "shutdown", "sms"};

// The two phases a policy parameter belongs to. (The run-time phase of an event, with its idle
// state, belongs to the policy engine.)
enum PhaseId : int {
  PHASE_HAPPEN = 0,
  PHASE_RESTORE = 1,
};
inline constexpr size_t kPhaseCount = 2;
inline constexpr std::array<std::string_view, kPhaseCount> kPhaseNames = {"happen", "restore"};

enum ParamId : int {
  PARAM_MAX_COUNT = 0,
  PARAM_DELAY = 1,
  PARAM_INTERVAL = 2,
  PARAM_CONTENT = 3,
};
inline constexpr size_t kParamCount = 4;
inline constexpr std::array<std::string_view, kParamCount> kParamNames = {
    "max count", "delay", "interval", "content"};

// The parameters of each phase, in file order; the restore phase has no interval.
inline constexpr std::array<ParamId, 4> kHappenParamIds = {PARAM_MAX_COUNT, PARAM_DELAY,
                                                            PARAM_INTERVAL, PARAM_CONTENT};
inline constexpr std::array<ParamId, 3> kRestoreParamIds = {PARAM_MAX_COUNT, PARAM_DELAY,
                                                             PARAM_CONTENT};

constexpr bool phaseHasParam(PhaseId phase, ParamId param) {
  return !(phase == PHASE_RESTORE && param == PARAM_INTERVAL);
}

// Keys per event and action (4 happen + 3 restore), and in the whole "protect" file.
inline constexpr size_t kKeysPerAction = kHappenParamIds.size() + kRestoreParamIds.size();
inline constexpr size_t kPolicyKeyCount = kEventCount * kActionCount * kKeysPerAction;
static_assert(kPolicyKeyCount == 378);

// Index of an exact name in one of the tables above, or -1.
template <size_t N>
constexpr int indexOfName(const std::array<std::string_view, N>& names, std::string_view name) {
  for (size_t i = 0; i < N; ++i) {
    if (names[i] == name) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace gw
