// The device variables: every name the service knows for a UPS value or command, its kind (how
// it is called) and the device-proxy operation behind it, as one constant table.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/result_code.h"
#include "service/driverlink/device_proxy.h"

namespace gw {

enum VariableKind : int32_t {
  KIND_COMMAND = 0,       // no argument; result code only
  KIND_SET = 1,           // one integer argument; result code only
  KIND_GET = 2,           // integer out; valid when the code is 0
  KIND_SET_PAIR = 3,      // two integer arguments; result code only
  KIND_GET_SELECTED = 4,  // selector in (0 = value in force, non-zero = default), integer out
  KIND_TEXT = 5,          // text out, at most kVariableTextBuffer - 1 characters
};

// The text buffer of a kind-5 read, terminating NUL included.
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

struct VariableEntry {
  std::string_view name;
  VariableKind kind;
  VariableOperation operation;
};

inline constexpr size_t kVariableCount = 55;
// Positions 14 to 24 (the commands and the setting writes) change the UPS.
inline constexpr int kFirstControlVariable = 14;
inline constexpr int kLastControlVariable = 24;

class VariableTable {
 public:
  // Position of the variable with exactly this name (upper case; no folding), or nullopt.
  static std::optional<int> find(std::string_view name);
  // The entry at a position 0..kVariableCount-1.
  static const VariableEntry& at(int position);
  static constexpr size_t size() { return kVariableCount; }
  // True for the positions that change the UPS.
  static bool changesDevice(int position) {
    return position >= kFirstControlVariable && position <= kLastControlVariable;
  }

  // Calls the variable's operation on `device` as its kind says: one exchange with the driver
  // (none when a text is still cached). Codes: the device proxy's; RC_BUFFER_TOO_SMALL for a text
  // of kVariableTextBuffer characters or more (no text then); RC_UNSUPPORTED for a position
  // outside the table. *value is written only on RC_OK.
  [[nodiscard]] static ResultCode call(int position, DeviceProxy& device, const VariableArgs& args,
                                       VariableValue* value);
};

}  // namespace gw
