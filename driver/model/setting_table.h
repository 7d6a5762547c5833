// Setting tables: the signed code a binary-protocol UPS stores for a threshold, and its value.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "common/result_code.h"

namespace gw {

struct SettingPair {
  int16_t code;
  int16_t value;
};

// Pairs in table order; codes run either up or down, values always up.
struct SettingTable {
  std::span<const SettingPair> pairs;

  // The value stored under `code`. RC_NO_TABLE_ENTRY (14) unless the code is in the table.
  [[nodiscard]] ResultCode decode(int32_t code, int32_t* value) const;
  // The code of `value`. RC_NO_TABLE_ENTRY (14) unless the value is in the table.
  [[nodiscard]] ResultCode encode(int32_t value, int32_t* code) const;
  // The value of code 0, the UPS's factory threshold; 0 when the table has no code 0.
  int32_t defaultValue() const;
  // Every value in table order, in decimal, joined by ",".
  std::string allowedValues() const;
};

}  // namespace gw
