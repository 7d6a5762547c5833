// The file installer over libmspack's SZDD decoder. The target is written to a temporary name
// in its folder and renamed over the old file; the reasons of a failure come from the errors of
// our own I/O callbacks, which libmspack calls for every read and write.
#pragma once

#include "setup/logic/file_installer.h"

namespace gw::setup {

class MspackFileInstaller final : public FileInstaller {
 public:
  uint32_t install(const std::string& source, const std::string& target, unsigned mode) override;
  uint64_t sourceSize(const std::string& source) override;
};

}  // namespace gw::setup
