// Parsing and writing the registry file.
#include "setup/logic/registry_store.h"

#include <filesystem>
#include <system_error>

#include "common/line_file.h"
#include "platform/file_system.h"
#include "setup/logic/install_root.h"

namespace gw::setup {

ResultCode RegistryStore::open(const std::string& path, std::unique_ptr<RegistryStore>* store) {
  std::unique_ptr<RegistryStore> loaded(new RegistryStore(path));
  std::string text;
  if (readWholeFile(path, &text) != RC_OK) {
    if (fileExists(path)) return RC_NOT_AVAILABLE;
    *store = std::move(loaded);
    return RC_OK;
  }
  std::map<std::string, std::string>* current = nullptr;
  for (const std::string& line : splitLines(text)) {
    if (line.empty()) continue;
    if (line.front() == '[' && line.back() == ']' && line.size() > 2) {
      current = &loaded->keys_[line.substr(1, line.size() - 2)];
      continue;
    }
    std::string_view name;
    std::string_view data;
    if (!current || !splitKeyValue(line, &name, &data)) return RC_BAD_VALUE;
    (*current)[std::string(name)] = std::string(data);
  }
  *store = std::move(loaded);
  return RC_OK;
}

ResultCode RegistryStore::setValue(const std::string& key, const std::string& name,
                                   const std::string& data) {
  if (key.empty() || key.find_first_of("\n]") != std::string::npos ||
      name.find_first_of("=\n") != std::string::npos || name.empty() ||
      data.find('\n') != std::string::npos) {
    return RC_BAD_VALUE;
  }
  keys_[key][name] = data;
  return RC_OK;
}

bool RegistryStore::value(const std::string& key, const std::string& name,
                          std::string* data) const {
  auto k = keys_.find(key);
  if (k == keys_.end()) return false;
  auto v = k->second.find(name);
  if (v == k->second.end()) return false;
  *data = v->second;
  return true;
}

bool RegistryStore::hasKey(const std::string& key) const { return keys_.count(key) != 0; }

void RegistryStore::deleteValue(const std::string& key, const std::string& name) {
  auto k = keys_.find(key);
  if (k != keys_.end()) k->second.erase(name);
}

void RegistryStore::deleteKey(const std::string& key) {
  const std::string below = key + "\\";
  for (auto it = keys_.begin(); it != keys_.end();) {
    bool inside = it->first == key || it->first.compare(0, below.size(), below) == 0;
    it = inside ? keys_.erase(it) : std::next(it);
  }
}

ResultCode RegistryStore::save() const {
  std::string text;
  for (const auto& [key, values] : keys_) {
    text += "[" + key + "]\n";
    for (const auto& [name, data] : values) text += name + "=" + data + "\n";
  }
  std::error_code ec;
  std::string folder = parentFolder(path_);
  if (text.empty()) {
    std::filesystem::remove(path_, ec);
    if (ec) return RC_NOT_AVAILABLE;
    std::filesystem::remove(folder, ec);  // only when empty; something else there keeps it
    return RC_OK;
  }
  std::filesystem::create_directories(folder, ec);
  return writeFileAtomically(path_, text);
}

}  // namespace gw::setup
