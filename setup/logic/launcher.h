// The launcher: asks whether to install, then expands the installer from its own folder into
// the temporary folder and starts it with that folder as the distribution folder.
#pragma once

#include <string>
#include <vector>

#include "setup/logic/file_installer.h"
#include "setup/logic/program_starter.h"
#include "setup/logic/setup_prompts.h"

namespace gw::setup {

inline constexpr const char* kLaunchQuestionFormat = "Do you want to install the \"%s\" ?";

// The folder of the program at `program_path`, with its trailing separator: "/" for a program
// in the root folder, "/media/cd/" for one in /media/cd.
std::string sourceFolderOf(const std::string& program_path);

class Launcher {
 public:
  Launcher(SetupPrompts& prompts, FileInstaller& installer, ProgramStarter& starter)
      : prompts_(prompts), installer_(installer), starter_(starter) {}

  // `program_path` is the launcher's own path. `options` go before the folder on the
  // installer's command line. Returns once the installer has been started (or not).
  void run(const std::string& program_path, const std::string& temp_folder,
           const std::vector<std::string>& options);

 private:
  SetupPrompts& prompts_;
  FileInstaller& installer_;
  ProgramStarter& starter_;
};

}  // namespace gw::setup
