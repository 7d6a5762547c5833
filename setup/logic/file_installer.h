// The installer of one file: expands an SZDD-compressed source (or copies a plain one) over the
// target, always replacing what is there. The result is a set of flags; 0 is success.
#pragma once

#include <cstdint>
#include <string>

namespace gw::setup {

enum InstallFlag : uint32_t {
  kInstallFileInUse = 0x0080,
  kInstallOutOfSpace = 0x0100,
  kInstallAccessViolation = 0x0200,
  kInstallSharingViolation = 0x0400,
  kInstallCannotCreate = 0x0800,
  kInstallCannotRename = 0x2000,
  kInstallOutOfMemory = 0x8000,
  kInstallCannotReadSource = 0x10000,
};

class FileInstaller {
 public:
  FileInstaller() = default;
  FileInstaller(const FileInstaller&) = delete;
  FileInstaller& operator=(const FileInstaller&) = delete;
  virtual ~FileInstaller() = default;

  // Installs `source` as `target` with the permission bits `mode`. The target is replaced in
  // one step, so a failure leaves the old file (or none) and never a partial one. Blocks for
  // the copy.
  [[nodiscard]] virtual uint32_t install(const std::string& source, const std::string& target,
                                         unsigned mode) = 0;
  // The size of a source file in bytes; 0 when it cannot be read.
  virtual uint64_t sourceSize(const std::string& source) = 0;
};

}  // namespace gw::setup
