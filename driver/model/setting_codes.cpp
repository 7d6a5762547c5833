// Setting registers of the binary protocol.
#include "driver/model/setting_codes.h"

#include "common/result_code.h"

namespace gw {

ResultCode settingRegister(int element, int* reg) {
  switch (element) {
    case 0: *reg = 2; return RC_OK;
    case 1: *reg = 4; return RC_OK;
    case 2: *reg = 8; return RC_OK;
    case 3: *reg = 24; return RC_OK;
    case 4:
    case 5:
    case 6: *reg = kFlagsRegister; return RC_OK;
    case 29: *reg = 61; return RC_OK;
    case 35: *reg = 41; return RC_OK;
    case 36: *reg = 43; return RC_OK;
    default: return RC_NOT_A_SETTING;
  }
}

int lineClassOf(uint8_t raw) {
  switch (raw) {
    case 0: return 1;
    case 4: return 2;
    case 16: return 3;
    default: return 0;
  }
}

int voltageVariantOf(uint8_t raw) {
  switch (raw) {
    case 1: return 1;
    case 254: return 2;
    case 255: return 3;
    default: return 0;
  }
}

bool avrFlagOf(uint8_t raw) { return (raw & 0x10) != 0; }

namespace {

void putOne(DecodedSetting* out, int element, int32_t value) {
  out->count = 1;
  out->elements[0] = element;
  out->values[0] = value;
}

constexpr uint8_t kColdStartBit = 0x02;
constexpr uint8_t kAutoRestartOffBit = 0x01;
constexpr uint8_t kSensitivityBit = 0x10;

}  // namespace

ResultCode decodeSetting(const Calibration* calibration, int element, uint8_t raw,
                         DecodedSetting* out) {
  DecodedSetting decoded;
  switch (element) {
    case 0:
    case 1:
    case 2:
    case 3: {
      const SettingTable* table = calibration ? calibration->settingTable(element) : nullptr;
      if (!table) return RC_NO_TABLE_ENTRY;
      int32_t value = 0;
      const ResultCode rc = table->decode(static_cast<int8_t>(raw), &value);
      if (rc != RC_OK) return rc;
      putOne(&decoded, element, value);
      break;
    }
    case 4:
    case 5:
    case 6:
      decoded.count = 3;
      decoded.elements[0] = 4;
      decoded.values[0] = (raw & kAutoRestartOffBit) ? 0 : 1;
      decoded.elements[1] = 5;
      decoded.values[1] = (raw & kColdStartBit) ? 1 : 0;
      decoded.elements[2] = 6;
      decoded.values[2] = (raw & kSensitivityBit) ? 1 : 0;
      break;
    case 29: putOne(&decoded, 29, avrFlagOf(raw) ? 1 : 0); break;
    case 35: putOne(&decoded, 35, lineClassOf(raw)); break;
    case 36: putOne(&decoded, 36, voltageVariantOf(raw)); break;
    default: return RC_NOT_A_SETTING;
  }
  *out = decoded;
  return RC_OK;
}

ResultCode encodeSetting(const Calibration* calibration, int element, int32_t value,
                         uint8_t held_flags, uint8_t* raw) {
  switch (element) {
    case 0:
    case 1:
    case 2:
    case 3: {
      const SettingTable* table = calibration ? calibration->settingTable(element) : nullptr;
      if (!table) return RC_NO_TABLE_ENTRY;
      int32_t code = 0;
      const ResultCode rc = table->encode(value, &code);
      if (rc != RC_OK) return rc;
      *raw = static_cast<uint8_t>(static_cast<int8_t>(code));
      return RC_OK;
    }
    case 4:
    case 5:
    case 6: {
      if (value != 0 && value != 1) return RC_BAD_VALUE;
      uint8_t byte = held_flags;
      // Auto restart is on while its bit is clear; the other two are on while theirs is set.
      const uint8_t bit = element == 4   ? kAutoRestartOffBit
                          : element == 5 ? kColdStartBit
                                         : kSensitivityBit;
      const bool set_bit = element == 4 ? value == 0 : value == 1;
      byte = set_bit ? static_cast<uint8_t>(byte | bit) : static_cast<uint8_t>(byte & ~bit);
      *raw = byte;
      return RC_OK;
    }
    case 29:
    case 35:
    case 36: return RC_READ_ONLY;
    default: return RC_NOT_A_SETTING;
  }
}

}  // namespace gw
