// The table helpers that need more than constants.
#include "setup/logic/setup_tables.h"

#include "platform/service_host.h"

namespace gw::setup {

std::string expandFolder(const char* pattern, const std::string& folder) {
  std::string text = pattern;
  size_t at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, folder);
  return text;
}

std::vector<std::string> removalOnlyFiles() {
  std::vector<std::string> files(kServiceDataFiles.begin(), kServiceDataFiles.end());
  // The service creates its marker file at its first start, in the same folder.
  files.push_back(instanceMarkerFile(kServiceMarker));
  return files;
}

}  // namespace gw::setup
