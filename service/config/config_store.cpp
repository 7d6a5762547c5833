// The service settings and their "policy" file.
#include "service/config/config_store.h"

#include <array>
#include <limits>
#include <utility>

#include "common/line_file.h"
#include "platform/file_system.h"
#include "service/config/number_text.h"

namespace gw {
namespace {

// Overloaded lambdas for std::visit over the field pointers.
template <class... F>
struct Overloaded : F... {
  using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

}  // namespace

ConfigStore::ConfigStore(std::string data_dir, NoticeIdCounter& ids, NoticeHandler* handler)
    : data_dir_(std::move(data_dir)), notices_(ids, handler) {
  setDefaults();
  load();
}

std::string ConfigStore::dataFile(std::string_view name) const {
  return joinPath(data_dir_, std::string(name));
}

void ConfigStore::setDefaults() {
  for (const ConfigKey& key : kConfigKeys) {
    std::visit(Overloaded{
                   [&](bool ConfigValues::*f) { values_.*f = key.default_number != 0; },
                   [&](int32_t ConfigValues::*f) {
                     values_.*f = static_cast<int32_t>(key.default_number);
                   },
                   [&](uint32_t ConfigValues::*f) {
                     values_.*f = static_cast<uint32_t>(key.default_number);
                   },
                   [&](std::string ConfigValues::*f) { values_.*f = key.default_text; },
               },
               key.field);
  }
}

bool ConfigStore::store(const ConfigKey& key, std::string_view value, ConfigValues* into) {
  return std::visit(
      Overloaded{
          [&](bool ConfigValues::*f) {
            long long n = 0;
            if (!parseLeadingNumber(value, &n) || (n != 0 && n != 1)) return false;
            into->*f = n == 1;
            return true;
          },
          [&](int32_t ConfigValues::*f) {
            long long n = 0;
            if (!parseLeadingNumber(value, &n) || n < std::numeric_limits<int32_t>::min() ||
                n > std::numeric_limits<int32_t>::max()) {
              return false;
            }
            into->*f = static_cast<int32_t>(n);
            return true;
          },
          [&](uint32_t ConfigValues::*f) {
            long long n = 0;
            // A negative rate would wrap into a huge period; refuse it instead.
            if (!parseLeadingNumber(value, &n) || n < 0 ||
                n > std::numeric_limits<uint32_t>::max()) {
              return false;
            }
            if (f == &ConfigValues::polling_rate &&
                (n < kMinPollingRateMs || n > kMaxPollingRateMs)) {
              return false;
            }
            into->*f = static_cast<uint32_t>(n);
            return true;
          },
          [&](std::string ConfigValues::*f) {
            // A line feed would split the value into a second line of the file on the next
            // save; a carriage return would end the reply that reads it back.
            if (value.find_first_of("\r\n") != std::string_view::npos) return false;
            into->*f = std::string(value);
            return true;
          },
      },
      key.field);
}

std::string ConfigStore::valueText(const ConfigKey& key, const ConfigValues& values) {
  return std::visit(Overloaded{
                        [&](bool ConfigValues::*f) { return std::string(values.*f ? "1" : "0"); },
                        [&](int32_t ConfigValues::*f) { return std::to_string(values.*f); },
                        [&](uint32_t ConfigValues::*f) { return std::to_string(values.*f); },
                        [&](std::string ConfigValues::*f) { return values.*f; },
                    },
                    key.field);
}

void ConfigStore::load() {
  std::string path = dataFile(kFileName);
  std::string contents;
  if (readWholeFile(path, &contents) != RC_OK) return;
  std::vector<size_t> refused;
  loadText(contents, &refused);
  load_report_ = settleLoad(path, kFileName, contents, std::move(refused), kFileMode);
}

void ConfigStore::loadText(std::string_view text, std::vector<size_t>* refused) {
  // The first line that sets a key validly wins; a bad value leaves the key open for a later
  // line.
  std::array<bool, kConfigKeyCount> loaded{};
  std::vector<std::string> lines = splitLines(text);
  for (size_t n = 0; n < lines.size(); ++n) {
    std::string_view key_text;
    std::string_view value;
    bool taken = false;
    if (splitKeyValue(lines[n], &key_text, &value)) {
      for (size_t i = 0; i < kConfigKeyCount; ++i) {
        if (kConfigKeys[i].name != key_text) continue;
        if (!loaded[i] && store(kConfigKeys[i], value, &values_)) taken = loaded[i] = true;
        break;
      }
    }
    if (!taken && !lines[n].empty() && refused) refused->push_back(n + 1);
  }
}

bool ConfigStore::getSetting(std::string* text) const {
  const ConfigKey* key = findConfigKey(*text);
  if (key == nullptr) return false;
  std::string value = valueText(*key, values_);
  if (value.empty()) return false;
  text->push_back('=');
  text->append(value);
  return true;
}

bool ConfigStore::setSetting(std::string_view entry) {
  std::string_view key_text;
  std::string_view value;
  if (!splitKeyValue(entry, &key_text, &value)) return false;
  const ConfigKey* key = findConfigKey(key_text);
  if (key == nullptr || !store(*key, value, &values_)) return false;
  notices_.post(key->name);
  return true;
}

ResultCode ConfigStore::applySetting(std::string_view entry) {
  std::string_view key_text;
  std::string_view value;
  if (!splitKeyValue(entry, &key_text, &value)) return RC_BAD_SETTING;
  const ConfigKey* key = findConfigKey(key_text);
  ConfigValues changed = values_;
  if (key == nullptr || !store(*key, value, &changed)) return RC_BAD_SETTING;
  // On the disk first: a change that is answered as done must survive a crash.
  ResultCode rc = writeFileAtomically(dataFile(kFileName), fileTextOf(changed), kFileMode);
  if (rc != RC_OK) return rc;
  values_ = std::move(changed);
  notices_.post(key->name);
  return RC_OK;
}

std::string ConfigStore::fileText() const { return fileTextOf(values_); }

std::string ConfigStore::fileTextOf(const ConfigValues& values) {
  std::string out;
  for (const ConfigKey& key : kConfigKeys) {
    out.append(key.name);
    out.push_back('=');
    out.append(valueText(key, values));
    out.push_back('\n');
  }
  return out;
}

ResultCode ConfigStore::save() const {
  return writeFileAtomically(dataFile(kFileName), fileText(), kFileMode);
}

}  // namespace gw
