// The copy of the program files from the distribution folder into the installation folder,
// with the fault messages and the Abort / Retry / Ignore choice of each failed row.
#pragma once

#include <cstdint>
#include <string>

#include "platform/clock.h"
#include "setup/logic/file_installer.h"
#include "setup/logic/install_root.h"
#include "setup/logic/setup_prompts.h"

namespace gw::setup {

// What the copy dialog sees of the loop.
class CopyObserver {
 public:
  CopyObserver() = default;
  CopyObserver(const CopyObserver&) = delete;
  CopyObserver& operator=(const CopyObserver&) = delete;
  virtual ~CopyObserver() = default;

  // The percentage done, after each row.
  virtual void progress(int percent) = 0;
  // Called between rows, where a window lets its pending input through; true once the user
  // cancelled.
  virtual bool cancelled() = 0;
};

// The message for a failed row, first match wins. `folder` is the installation folder and
// `name` the installed name; `source_folder` and `compressed` name the source.
std::string copyFaultMessage(uint32_t result, const std::string& folder, const std::string& name,
                             const std::string& source_folder, const std::string& compressed);

class CopyLoop {
 public:
  CopyLoop(FileInstaller& installer, SetupPrompts& prompts, Clock& clock)
      : installer_(installer), prompts_(prompts), clock_(clock) {}

  // Installs every program file row from `source_folder` into `folder` (a system path, placed
  // under `root`). True when every row was installed or ignored; false on Abort or cancel,
  // with the files installed so far left in place. Waits 500 ms after the last row.
  [[nodiscard]] bool run(const std::string& source_folder, const std::string& folder,
                         const InstallRoot& root, CopyObserver& observer);

 private:
  FileInstaller& installer_;
  SetupPrompts& prompts_;
  Clock& clock_;
};

}  // namespace gw::setup
