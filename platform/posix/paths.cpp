// The executable's directory from /proc/self/exe; the shared folders from the environment.
#include "platform/paths.h"

#include <unistd.h>

#include <climits>
#include <cstdlib>

namespace gw {

std::string executableDirectory() {
  char buf[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return {};
  std::string path(buf, static_cast<size_t>(n));
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return {};
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string temporaryDirectory() {
  const char* tmp = std::getenv("TMPDIR");
  std::string dir = tmp && *tmp ? tmp : "/tmp";
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  return dir;
}

std::string userRuntimeDirectory() {
  const char* dir = std::getenv("XDG_RUNTIME_DIR");
  return dir ? dir : "";
}

}  // namespace gw
