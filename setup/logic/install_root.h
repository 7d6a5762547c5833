// The install root: every path the installer writes is a system path (as the installed system
// will see it) placed under this root. "/" is the running system; tests use a scratch folder.
#pragma once

#include <string>
#include <string_view>

namespace gw::setup {

class InstallRoot {
 public:
  // `root` without its trailing separators; empty means "/".
  explicit InstallRoot(std::string root);

  const std::string& root() const { return root_; }
  bool isLiveSystem() const { return root_ == "/"; }
  // Where the absolute system path lands on this machine: "/opt/x" under "/tmp/r" is
  // "/tmp/r/opt/x".
  std::string place(std::string_view system_path) const;
  // The system path of a path on this machine inside the root; the path itself when it lies
  // outside.
  std::string systemPathOf(const std::string& real_path) const;

 private:
  std::string root_;
};

// True for a path that starts at the file system's root.
bool isAbsolutePath(std::string_view path);

// The folder of a path, without a trailing separator ("/" for files in the root folder).
std::string parentFolder(const std::string& path);

}  // namespace gw::setup
