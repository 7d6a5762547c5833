// A file installer whose results are scripted per installed name. A success writes the target
// (the source's bytes when it exists, else a marker text), so tests can see what was copied.
#pragma once

#include <deque>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "setup/logic/file_installer.h"

namespace gw {

class FakeFileInstaller : public setup::FileInstaller {
 public:
  struct Call {
    std::string source;
    std::string target;
    unsigned mode;
  };

  // The next installs of the target whose file name is `name` return these results, in order;
  // after them, success.
  void script(const std::string& name, std::vector<uint32_t> results) {
    for (uint32_t r : results) scripted_[name].push_back(r);
  }
  void setSize(const std::string& source_name, uint64_t size) { sizes_[source_name] = size; }

  uint32_t install(const std::string& source, const std::string& target, unsigned mode) override {
    calls.push_back({source, target, mode});
    std::string name = std::filesystem::path(target).filename().string();
    auto& queue = scripted_[name];
    if (!queue.empty()) {
      uint32_t r = queue.front();
      queue.pop_front();
      if (r != 0) return r;
    }
    std::error_code ec;
    if (std::filesystem::exists(source, ec)) {
      std::filesystem::copy_file(source, target, std::filesystem::copy_options::overwrite_existing, ec);
    } else {
      std::ofstream(target) << "installed from " << source;
    }
    return 0;
  }

  uint64_t sourceSize(const std::string& source) override {
    auto it = sizes_.find(std::filesystem::path(source).filename().string());
    return it == sizes_.end() ? 0 : it->second;
  }

  // The installed names of the calls, in order.
  std::vector<std::string> targets() const {
    std::vector<std::string> names;
    for (const Call& c : calls) names.push_back(std::filesystem::path(c.target).filename().string());
    return names;
  }

  std::vector<Call> calls;

 private:
  std::map<std::string, std::deque<uint32_t>> scripted_;
  std::map<std::string, uint64_t> sizes_;
};

}  // namespace gw
