// The values a device holds for the pipe requests: 37 elements, each with a primary value and a
// secondary one (for settings, the UPS's factory default).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/result_code.h"

namespace gw {

// Element numbers with a meaning inside the devices.
enum ValueElement : int {
  E_INPUTHI = 0,
  E_INPUTLO = 1,
  E_BATTERYLO = 2,
  E_BATOUT = 3,
  E_AUTORESTART = 4,
  E_COLDSTART = 5,
  E_SENSITIVITY = 6,
  E_ALARM = 7,
  E_INPUTHI_RANGE = 8,
  E_INPUTLO_RANGE = 9,
  E_BATTERYLO_RANGE = 10,
  E_BATOUT_RANGE = 11,
  E_MODEL = 12,
  E_FWVER = 13,
  E_SERIAL = 14,
  E_COMPANY = 15,
  E_VOLT = 16,
  E_FREQLO = 17,
  E_FREQHI = 18,
  E_VA = 19,
  E_WATT = 20,
  E_BAUDRATE = 21,
  E_PORTTYPE = 22,
  E_MEDIATYPE = 23,
  E_MEDIAIDX = 24,
  E_BATVOLT = 25,
  E_BATNUM = 26,
  E_BATAH = 27,
  E_BATEXT = 28,
  E_AVR = 29,
  E_UPSTECH = 30,
  E_TEXT_FLAG31 = 31,
  E_TEXT_HEX = 32,
  E_MODEL_INDEX = 33,
  E_MODEL_FAMILY = 34,
  E_LINE_CLASS = 35,
  E_VOLTAGE_VARIANT = 36,
};

class ValueTable {
 public:
  static constexpr int kElementCount = 37;

  ValueTable() = default;

  // Element numbers outside 0 to 36 are ignored by the setters and answer RC_UNSUPPORTED.
  void setInt(int element, int32_t value);
  void setText(int element, std::string_view text);
  void clear(int element);
  bool has(int element) const;

  // A secondary value starts missing (RC_UNSUPPORTED); a device that knows the element has one
  // makes it empty (RC_NOT_AVAILABLE) or sets it.
  void setSecondaryInt(int element, int32_t value);
  void clearSecondary(int element);

  // Empty → RC_NOT_AVAILABLE, a text → RC_BAD_VALUE.
  [[nodiscard]] ResultCode getInt(int element, int32_t* value) const;
  [[nodiscard]] ResultCode getSecondaryInt(int element, int32_t* value) const;
  // Copies the text with a terminating NUL. A null buffer or a *size below length + 1 answers
  // RC_BUFFER_TOO_SMALL with *size = length + 1; on success *size = length + 1 too. Empty →
  // RC_NOT_AVAILABLE, an integer → RC_BAD_VALUE, a null `size` → RC_MISSING_ARGUMENT.
  [[nodiscard]] ResultCode getText(int element, char* buffer, size_t* size) const;
  // The text itself, for the device's own use; empty when the element holds no text.
  std::string_view text(int element) const;

 private:
  enum class Kind { kMissing, kEmpty, kInt, kText };
  struct Value {
    Kind kind = Kind::kEmpty;
    int32_t number = 0;
    std::string text;
  };
  struct Entry {
    Value primary;
    Value secondary{Kind::kMissing, 0, {}};
  };

  static bool valid(int element) { return element >= 0 && element < kElementCount; }
  static ResultCode readInt(const Value& v, int32_t* value);

  Entry entries_[kElementCount];
};

}  // namespace gw
