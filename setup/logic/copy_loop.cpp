// One pass over the program file table; a failed row asks until it is installed, skipped or the
// copy is abandoned.
#include "setup/logic/copy_loop.h"

#include <cstdio>

#include "setup/logic/setup_tables.h"

namespace gw::setup {
namespace {

constexpr int kCloseDelayMs = 500;

std::string inFolder(const std::string& folder, const std::string& name) {
  return folder + "/" + name;
}

}  // namespace

std::string copyFaultMessage(uint32_t result, const std::string& folder, const std::string& name,
                             const std::string& source_folder, const std::string& compressed) {
  if (result & kInstallFileInUse) return "File " + inFolder(folder, name) + " in use.";
  if (result & kInstallOutOfSpace) return "Out of disk space.";
  if (result & kInstallAccessViolation) return "File " + inFolder(folder, name) + " access violation.";
  if (result & kInstallSharingViolation) {
    return "File " + inFolder(folder, name) + " sharing violation.";
  }
  if (result & kInstallOutOfMemory) return "Out of memory.";
  if (result & kInstallCannotReadSource) {
    return "Cannot read source file " + inFolder(source_folder, compressed) + ".";
  }
  char code[16];
  std::snprintf(code, sizeof code, "%x", static_cast<unsigned>(result));
  return std::string("Unknown error encountered.\nError Code: 0x") + code;
}

bool CopyLoop::run(const std::string& source_folder, const std::string& folder,
                   const InstallRoot& root, CopyObserver& observer) {
  uint64_t total = 0;
  for (const ProgramFile& row : kProgramFiles) {
    total += installer_.sourceSize(inFolder(source_folder, row.compressed));
  }
  uint64_t done = 0;
  for (const ProgramFile& row : kProgramFiles) {
    std::string source = inFolder(source_folder, row.compressed);
    std::string target = root.place(inFolder(folder, row.installed));
    uint64_t size = installer_.sourceSize(source);
    for (;;) {
      uint32_t result = installer_.install(source, target, row.mode);
      if (result == 0) break;
      std::string text = copyFaultMessage(result, folder, row.installed, source_folder,
                                          row.compressed);
      FaultChoice choice = prompts_.askAbortRetryIgnore("Setup", text);
      if (choice == FaultChoice::kAbort) return false;
      if (choice == FaultChoice::kIgnore) break;
    }
    done += size;
    // An empty distribution counts as done rather than dividing by nothing.
    observer.progress(total == 0 ? 100 : static_cast<int>(done * 100 / total));
    if (observer.cancelled()) return false;
  }
  clock_.sleepMs(kCloseDelayMs);
  return true;
}

}  // namespace gw::setup
