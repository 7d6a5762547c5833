// Service registration under systemd: a unit file in etc/systemd/system of the root, enabled
// and disabled through systemctl (with --root when the root is not the running system).
#include "platform/service_registrar.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "platform/file_system.h"
#include "platform/process.h"

namespace gw {
namespace {

constexpr int kManagerTimeoutMs = 30000;

// The program's path: as given when it holds a '/', else the first executable match on PATH.
std::string resolveProgram(const std::string& program) {
  if (program.find('/') != std::string::npos) return program;
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  size_t start = 0;
  while (start <= dirs.size()) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    std::string candidate = joinPath(dirs.substr(start, end - start), program);
    if (end > start && ::access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return {};
}

class SystemdRegistrar final : public ServiceRegistrar {
 public:
  SystemdRegistrar(std::string root, std::string manager)
      : root_(std::move(root)), manager_(std::move(manager)) {
    while (root_.size() > 1 && root_.back() == '/') root_.pop_back();
  }

  bool registerService(const std::string& name, const std::string& definition) override {
    std::string dir = unitDirectory();
    if (!makeDirectories(dir)) return false;
    if (writeFileAtomically(definitionPath(name), definition, 0644) != RC_OK) return false;
    if (liveSystem()) runManager({"daemon-reload"});
    runManager(withRoot({"enable", unitName(name)}));
    return true;
  }

  void deleteService(const std::string& name) override {
    if (liveSystem()) runManager({"stop", unitName(name)});
    runManager(withRoot({"disable", unitName(name)}));
    (void)::unlink(definitionPath(name).c_str());  // absent already is as good as removed
    if (liveSystem()) runManager({"daemon-reload"});
  }

  std::string definitionPath(const std::string& name) const override {
    return joinPath(unitDirectory(), unitName(name));
  }

 private:
  static std::string unitName(const std::string& name) { return name + ".service"; }
  bool liveSystem() const { return root_ == "/"; }
  std::string unitDirectory() const { return joinPath(root_, "etc/systemd/system"); }

  std::vector<std::string> withRoot(std::vector<std::string> args) const {
    if (!liveSystem()) args.insert(args.begin(), "--root=" + root_);
    return args;
  }

  static bool makeDirectories(const std::string& dir) {
    for (size_t slash = dir.find('/', 1);; slash = dir.find('/', slash + 1)) {
      std::string part = dir.substr(0, slash);
      if (::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return false;
      if (slash == std::string::npos) return true;
    }
  }

  // The manager's verdict is not ours to report; a hung manager is ended after the time-out.
  void runManager(std::vector<std::string> args) const {
    SpawnOptions options;
    options.program = resolveProgram(manager_);
    options.args = std::move(args);
    std::unique_ptr<ChildProcess> child;
    if (options.program.empty() || spawnProcess(options, &child) != RC_OK) return;
    int code = 0;
    if (child->wait(kManagerTimeoutMs, &code) == RC_TIMEOUT) child->terminate();
  }

  std::string root_;
  std::string manager_;
};

}  // namespace

std::unique_ptr<ServiceRegistrar> createServiceRegistrar(const std::string& root,
                                                         const std::string& manager) {
  return std::make_unique<SystemdRegistrar>(root.empty() ? "/" : root, manager);
}

}  // namespace gw
