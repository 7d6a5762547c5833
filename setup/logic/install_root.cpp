// System paths placed under the install root, and back.
#include "setup/logic/install_root.h"

#include <filesystem>
#include <system_error>

namespace gw::setup {

InstallRoot::InstallRoot(std::string root) : root_(std::move(root)) {
  while (root_.size() > 1 && root_.back() == '/') root_.pop_back();
  if (root_.empty()) root_ = "/";
}

std::string InstallRoot::place(std::string_view system_path) const {
  if (isLiveSystem()) return std::string(system_path);
  if (system_path.empty() || system_path.front() != '/') return root_ + "/" + std::string(system_path);
  return root_ + std::string(system_path);
}

std::string InstallRoot::systemPathOf(const std::string& real_path) const {
  if (isLiveSystem()) return real_path;
  // Compared without links, since the running program's own path has none.
  std::error_code ec;
  std::string root = std::filesystem::weakly_canonical(root_, ec).string();
  if (ec || root.empty()) root = root_;
  std::string path = std::filesystem::weakly_canonical(real_path, ec).string();
  if (ec || path.empty()) path = real_path;
  if (path == root) return "/";
  if (path.size() > root.size() && path.compare(0, root.size(), root) == 0 &&
      path[root.size()] == '/') {
    return path.substr(root.size());
  }
  return real_path;
}

bool isAbsolutePath(std::string_view path) { return !path.empty() && path.front() == '/'; }

std::string parentFolder(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace gw::setup
