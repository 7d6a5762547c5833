// Decoding and encoding of setting codes.
#include "driver/model/setting_table.h"

#include "common/result_code.h"

namespace gw {

ResultCode SettingTable::decode(int32_t code, int32_t* value) const {
  if (pairs.empty()) return RC_NO_TABLE_ENTRY;
  // The scan stops at the first pair at or past the code in the table's own direction, so a
  // table whose codes are out of order cannot match a code that sits behind the stop.
  const bool codes_up = pairs.size() < 2 || pairs[0].code < pairs[1].code;
  for (const SettingPair& pair : pairs) {
    const bool reached = codes_up ? pair.code >= code : pair.code <= code;
    if (!reached) continue;
    if (pair.code != code) return RC_NO_TABLE_ENTRY;
    *value = pair.value;
    return RC_OK;
  }
  return RC_NO_TABLE_ENTRY;
}

ResultCode SettingTable::encode(int32_t value, int32_t* code) const {
  for (const SettingPair& pair : pairs) {
    if (pair.value < value) continue;
    if (pair.value != value) return RC_NO_TABLE_ENTRY;
    *code = pair.code;
    return RC_OK;
  }
  return RC_NO_TABLE_ENTRY;
}

int32_t SettingTable::defaultValue() const {
  for (const SettingPair& pair : pairs) {
    if (pair.code == 0) return pair.value;
  }
  return 0;
}

std::string SettingTable::allowedValues() const {
  std::string text;
  for (const SettingPair& pair : pairs) {
    if (!text.empty()) text += ',';
    text += std::to_string(pair.value);
  }
  return text;
}

}  // namespace gw
