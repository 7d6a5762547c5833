// The device-proxy operation behind each device variable (names and kinds: protocol/), as one
// constant table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/result_code.h"
#include "protocol/device_variables.h"
#include "service/driverlink/device_proxy.h"

namespace gw {

// The text buffer of a KIND_TEXT read, terminating NUL included.
inline constexpr size_t kVariableTextBuffer = 128;

// What a call takes: `first` is the argument of kind 1, the selector of kind 4 and the first of
// kind 3; `second` is kind 3's second argument. Unused fields are ignored.
struct VariableArgs {
  int32_t first = 0;
  int32_t second = 0;
};

// What a call gives back on RC_OK: `number` for kinds 2 and 4, `text` for kind 5.
struct VariableValue {
  int32_t number = 0;
  std::string text;
};

using VariableOperation = ResultCode (*)(DeviceProxy& device, const VariableArgs& args,
                                         VariableValue* value);

class VariableTable {
 public:
  // Position of the variable with exactly this name (upper case; no folding), or nullopt.
  static std::optional<int> find(std::string_view name) { return findDeviceVariable(name); }
  // The name and kind at a position 0..kVariableCount-1.
  static const DeviceVariable& at(int position) {
    return kDeviceVariables[static_cast<size_t>(position)];
  }
  static constexpr size_t size() { return kVariableCount; }
  // True for the positions that change the UPS.
  static bool changesDevice(int position) { return variableChangesDevice(position); }

  // Calls the variable's operation on `device` as its kind says: one exchange with the driver
  // (none when a text is still cached). Codes: the device proxy's; RC_BUFFER_TOO_SMALL for a text
  // of kVariableTextBuffer characters or more (no text then); RC_UNSUPPORTED for a position
  // outside the table. *value is written only on RC_OK.
  [[nodiscard]] static ResultCode call(int position, DeviceProxy& device, const VariableArgs& args,
                                       VariableValue* value);
};

}  // namespace gw
