// The executable's directory from /proc/self/exe; the shared folders from the environment.
#include "platform/paths.h"

#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <string>

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
  if (dir && *dir) return dir;
  // A session without one (a bare login, su) still needs a place that is the same for every
  // program of this user; the toolkits fall back to the temporary folder as well.
  return temporaryDirectory() + "/runtime-" + std::to_string(::geteuid());
}

}  // namespace gw
