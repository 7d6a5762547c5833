// A service registrar that writes the definition where the real one would, under a root, and
// records each registration and deletion instead of asking a service manager.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/service_registrar.h"

namespace gw {

class RecordingServiceRegistrar : public ServiceRegistrar {
 public:
  explicit RecordingServiceRegistrar(std::string root) : root_(std::move(root)) {}

  bool registerService(const std::string& name, const std::string& definition) override {
    log.push_back("register " + name);
    std::error_code ec;
    std::filesystem::create_directories(root_ + "/etc/systemd/system", ec);
    std::ofstream(definitionPath(name)) << definition;
    return true;
  }
  void deleteService(const std::string& name) override {
    log.push_back("delete " + name);
    std::error_code ec;
    std::filesystem::remove(definitionPath(name), ec);
  }
  std::string definitionPath(const std::string& name) const override {
    return root_ + "/etc/systemd/system/" + name + ".service";
  }

  std::vector<std::string> log;

 private:
  std::string root_;
};

}  // namespace gw
