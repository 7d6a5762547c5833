// The device variables: every name a client may ask for with "DEV", with its kind (what the
// request carries and what the reply holds), in the catalogue's fixed order.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "protocol/status_index.h"

namespace gw {

enum VariableKind : int32_t {
  KIND_COMMAND = 0,       // no argument; result code only
  KIND_SET = 1,           // one integer argument; result code only
  KIND_GET = 2,           // integer out; valid when the code is 0
  KIND_SET_PAIR = 3,      // two integer arguments; result code only
  KIND_GET_SELECTED = 4,  // selector in (0 = value in force, non-zero = default), integer out
  KIND_TEXT = 5,          // text out
};

struct DeviceVariable {
  std::string_view name;
  VariableKind kind;
};

inline constexpr size_t kVariableCount = 55;
// Positions 0 to kStatusCount - 1 are the status values, at their StatusIndex.
// Positions 14 to 24 (the commands and the setting writes) change the UPS.
inline constexpr int kFirstControlVariable = 14;
inline constexpr int kLastControlVariable = 24;

inline constexpr std::array<DeviceVariable, kVariableCount> kDeviceVariables = {{
    {"STATUS_INVOLT", KIND_GET},
    {"STATUS_OUTVOLT", KIND_GET},
    {"STATUS_CAPACITY", KIND_GET},
    {"STATUS_LOAD", KIND_GET},
    {"STATUS_TEMP", KIND_GET},
    {"STATUS_FREQ", KIND_GET},
    {"STATUS_BACKUP", KIND_GET},
    {"STATUS_POWERFAIL", KIND_GET},
    {"STATUS_BATTERYLO", KIND_GET},
    {"STATUS_TEST", KIND_GET},
    {"STATUS_WAITSLEEP", KIND_GET},
    {"STATUS_WAITWAKEUP", KIND_GET},
    {"STATUS_CONNECT", KIND_GET},
    {"STATUS_BEEP", KIND_GET},
    {"CMD_SELFTEST", KIND_SET},
    {"CMD_SLEEP", KIND_SET_PAIR},
    {"CMD_SHUTDOWN", KIND_SET},
    {"CMD_TOGGLEBUZZER", KIND_COMMAND},
    {"SET_PROP_INPUTHI", KIND_SET},
    {"SET_PROP_INPUTLO", KIND_SET},
    {"SET_PROP_BATTERYLO", KIND_SET},
    {"SET_PROP_BATOUT", KIND_SET},
    {"SET_PROP_AUTORESTART", KIND_SET},
    {"SET_PROP_COLDSTART", KIND_SET},
    {"SET_PROP_SENSITIVEITY", KIND_SET},
    {"PROP_INPUTHI", KIND_GET_SELECTED},
    {"PROP_INPUTLO", KIND_GET_SELECTED},
    {"PROP_BATTERYLO", KIND_GET_SELECTED},
    {"PROP_BATOUT", KIND_GET_SELECTED},
    {"PROP_AUTORESTART", KIND_GET_SELECTED},
    {"PROP_COLDSTART", KIND_GET_SELECTED},
    {"PROP_SENSITIVEITY", KIND_GET_SELECTED},
    {"PROP_INPUTHI_RANGE", KIND_TEXT},
    {"PROP_INPUTLO_RANGE", KIND_TEXT},
    {"PROP_BATTERYLO_RANGE", KIND_TEXT},
    {"PROP_BATOUT_RANGE", KIND_TEXT},
    {"PROP_MEDIATYPE", KIND_GET},
    {"PROP_MEDIAIDX", KIND_GET},
    {"PROP_MODEL", KIND_TEXT},
    {"PROP_FWVER", KIND_TEXT},
    {"PROP_SERIAL", KIND_TEXT},
    {"PROP_COMPANY", KIND_TEXT},
    {"PROP_VOLT", KIND_GET},
    {"PROP_FREQLO", KIND_GET},
    {"PROP_FREQHI", KIND_GET},
    {"PROP_VA", KIND_GET},
    {"PROP_WATT", KIND_GET},
    {"PROP_AVR", KIND_GET},
    {"PROP_UPSTECH", KIND_GET},
    {"PROP_PORTTYPE", KIND_GET},
    {"PROP_BAUDRATE", KIND_GET},
    {"PROP_BATVOLT", KIND_GET},
    {"PROP_BATNUM", KIND_GET},
    {"PROP_BATAH", KIND_GET},
    {"PROP_BATEXT", KIND_GET},
}};

// Position of the variable with exactly this name (upper case; no folding), or nullopt.
constexpr std::optional<int> findDeviceVariable(std::string_view name) {
  for (size_t i = 0; i < kDeviceVariables.size(); ++i) {
    if (kDeviceVariables[i].name == name) return static_cast<int>(i);
  }
  return std::nullopt;
}

// True for the positions that change the UPS, which need the manager level.
constexpr bool variableChangesDevice(int position) {
  return position >= kFirstControlVariable && position <= kLastControlVariable;
}

}  // namespace gw
