// The PATH walk shared by the sound player's aplay and the service registrar's systemctl.
#include "platform/posix/search_path.h"

#include <unistd.h>

#include "platform/file_system.h"

namespace gw::posix {

std::string findOnSearchPath(const std::string& search_path, const std::string& name) {
  size_t start = 0;
  while (start <= search_path.size()) {
    size_t end = search_path.find(':', start);
    if (end == std::string::npos) end = search_path.size();
    std::string dir = search_path.substr(start, end - start);
    if (!dir.empty()) {
      std::string candidate = joinPath(dir, name);
      if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    start = end + 1;
  }
  return {};
}

}  // namespace gw::posix
