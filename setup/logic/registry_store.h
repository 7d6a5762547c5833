// The installer's registry: keys holding named text values, kept in one text file under the
// install root (etc/gridwatch/registry). A key is a path of names joined by '\'; deleting a key
// deletes the keys below it. The file is read once and written back by save().
//
// File format, one line each: "[key]" opens a key, "name=data" is a value of the key above it.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "common/result_code.h"

namespace gw::setup {

class RegistryStore {
 public:
  // Reads the store at `path`; a missing file is an empty store. RC_NOT_AVAILABLE when the
  // file exists but cannot be read, RC_BAD_VALUE when a line is neither a key nor a value.
  [[nodiscard]] static ResultCode open(const std::string& path,
                                       std::unique_ptr<RegistryStore>* store);

  // Sets a value, creating its key. RC_BAD_VALUE for a name holding '=' or a line feed, or data
  // holding a line feed.
  [[nodiscard]] ResultCode setValue(const std::string& key, const std::string& name,
                                    const std::string& data);
  // False when there was no such value.
  bool value(const std::string& key, const std::string& name, std::string* data) const;
  bool hasKey(const std::string& key) const;
  void deleteValue(const std::string& key, const std::string& name);
  void deleteKey(const std::string& key);

  // Writes the store back in full. An empty store removes the file, and its folder when that
  // is left empty.
  [[nodiscard]] ResultCode save() const;

 private:
  explicit RegistryStore(std::string path) : path_(std::move(path)) {}

  std::string path_;
  std::map<std::string, std::map<std::string, std::string>> keys_;
};

}  // namespace gw::setup
