// The registers behind the binary protocol's settings and identity elements, and how their raw
// bytes decode into value-table elements and encode back.
//
// Register 15 is shared by elements 4 (auto restart, set when bit 0 is clear), 5 (cold start,
// bit 1) and 6 (sensitivity, bit 4). Writing one of them changes only its own bit of the byte
// last read from the UPS, so the other two settings and every bit this driver does not know
// are sent back as the UPS reported them.
#pragma once

#include <cstdint>

#include "common/result_code.h"
#include "driver/model/calibration.h"

namespace gw {

inline constexpr int kFlagsRegister = 15;

// The register of a setting or identity element: 0 → 2, 1 → 4, 2 → 8, 3 → 24, 4 to 6 → 15,
// 29 → 61, 35 → 41, 36 → 43. RC_NOT_A_SETTING (11) for any other element.
[[nodiscard]] ResultCode settingRegister(int element, int* reg);

// Element values carried by one register byte (three for the shared register, else one).
struct DecodedSetting {
  int count = 0;
  int elements[3] = {};
  int32_t values[3] = {};
};

// Decodes a raw register byte read for `element`. Elements 0 to 3 go through their setting
// table in `calibration` (the byte is a signed code); RC_NO_TABLE_ENTRY (14) when the code is not
// in it. `calibration` may be null only for elements 4 to 6, 29, 35 and 36.
[[nodiscard]] ResultCode decodeSetting(const Calibration* calibration, int element, uint8_t raw,
                                       DecodedSetting* out);

// Encodes `value` for `element`. For elements 0 to 3 the code of the value in its setting table
// (RC_NO_TABLE_ENTRY when absent); for 4 to 6, `held_flags` (the shared register as last read)
// with the element's bit changed, value 0 or 1 (else RC_BAD_VALUE). Identity elements 29, 35 and
// 36 are RC_READ_ONLY (13); others RC_NOT_A_SETTING.
[[nodiscard]] ResultCode encodeSetting(const Calibration* calibration, int element, int32_t value,
                                       uint8_t held_flags, uint8_t* raw);

// The identity registers' decodings.
int lineClassOf(uint8_t raw);       // 0 → 1, 4 → 2, 16 → 3, other → 0
int voltageVariantOf(uint8_t raw);  // 1 → 1, 254 → 2, 255 → 3, other → 0
bool avrFlagOf(uint8_t raw);        // bit 4

}  // namespace gw
