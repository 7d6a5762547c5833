// The service settings: their typed values and the key table that names, types and defaults
// them. The table order is the order of lookup and of the "policy" file.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace gw {

// One typed field per setting: booleans 0/1, integers signed 32-bit, the two rates unsigned
// 32-bit, texts verbatim. Defaults come from kConfigKeys, not from these initialisers.
struct ConfigValues {
  bool buzzer_on = false;
  int32_t media_type = 0;
  int32_t media_index = 0;
  int32_t load_max = 0;
  int32_t temp_max = 0;
  uint32_t polling_rate = 0;
  uint32_t record_rate = 0;
  int32_t max_event = 0;
  int32_t max_status = 0;
  std::string email_server;
  std::string email_subject;
  std::string email_source_addr;
  std::string email_target_addr;
  std::string pager_number;
  std::string phone_number;
  std::string sms_server;
  std::string sms_source_number;
  std::string sms_target_number;
  std::string sms_account;
  std::string sms_password;
  bool auto_save = false;
  int32_t shutdown_delay = 0;
  bool rec_by_period = false;
  bool rec_by_trigger = false;
};

enum class ConfigType : uint8_t { kBool, kInt, kUnsigned, kText };

// The field a key is stored in; the alternative held fixes the key's type.
using ConfigField = std::variant<bool ConfigValues::*, int32_t ConfigValues::*,
                                 uint32_t ConfigValues::*, std::string ConfigValues::*>;

struct ConfigKey {
  std::string_view name;
  ConfigField field;
  long long default_number;       // bool, int and unsigned keys
  std::string_view default_text;  // text keys

  constexpr ConfigType type() const {
    switch (field.index()) {
      case 0: return ConfigType::kBool;
      case 1: return ConfigType::kInt;
      case 2: return ConfigType::kUnsigned;
      default: return ConfigType::kText;
    }
  }
};

inline constexpr size_t kConfigKeyCount = 24;

// "service.polling rate" is taken only within these bounds (milliseconds): below, the service
// would do little but talk to the driver; above, a mains failure could go unseen for longer
// than a battery lasts.
inline constexpr uint32_t kMinPollingRateMs = 500;
inline constexpr uint32_t kMaxPollingRateMs = 600000;

// clang-format off
inline constexpr std::array<ConfigKey, kConfigKeyCount> kConfigKeys = {{
    {"service.buzzer on",      &ConfigValues::buzzer_on,         1,     ""},
    {"service.media type",     &ConfigValues::media_type,        1,     ""},
    {"service.media index",    &ConfigValues::media_index,       0,     ""},
    {"service.load max",       &ConfigValues::load_max,          10000, ""},
    {"service.temp max",       &ConfigValues::temp_max,          70,    ""},
    {"service.polling rate",   &ConfigValues::polling_rate,      3000,  ""},
    {"service.record rate",    &ConfigValues::record_rate,       600,   ""},
    {"service.max event",      &ConfigValues::max_event,         1000,  ""},
    {"service.max status",     &ConfigValues::max_status,        1000,  ""},
    {"email.server",           &ConfigValues::email_server,      0,     "localhost"},
    {"email.subject",          &ConfigValues::email_subject,     0,     "ups service notification"},
    {"email.source addr",      &ConfigValues::email_source_addr, 0,     "ups@localhost"},
    {"email.target addr",      &ConfigValues::email_target_addr, 0,     "root@localhost"},
    {"telephone.pager number", &ConfigValues::pager_number,      0,     "123456789"},
    {"telephone.phone number", &ConfigValues::phone_number,      0,     "12345678"},
    {"sms.server",             &ConfigValues::sms_server,        0,     "localhost"},
    {"sms.source number",      &ConfigValues::sms_source_number, 0,     "1"},
    {"sms.target number",      &ConfigValues::sms_target_number, 0,     "2"},
    {"sms.account",            &ConfigValues::sms_account,       0,     "id"},
    {"sms.password",           &ConfigValues::sms_password,      0,     "password"},
    {"service.auto save",      &ConfigValues::auto_save,         1,     ""},
    {"service.shutdown delay", &ConfigValues::shutdown_delay,    120,   ""},
    {"service.rec by period",  &ConfigValues::rec_by_period,     1,     ""},
    {"service.rec by trigger", &ConfigValues::rec_by_trigger,    0,     ""},
}};
// clang-format on

// The row of a key compared exactly, or nullptr when the text is not a key.
constexpr const ConfigKey* findConfigKey(std::string_view name) {
  for (const ConfigKey& key : kConfigKeys) {
    if (key.name == name) return &key;
  }
  return nullptr;
}

}  // namespace gw
