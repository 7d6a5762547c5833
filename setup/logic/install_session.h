// One installation as the wizard walks through it: the chosen folder, the copy followed by the
// system steps, and the start of the service (and of the client) at the end.
#pragma once

#include <string>

#include "platform/clock.h"
#include "setup/logic/copy_loop.h"
#include "setup/logic/file_installer.h"
#include "setup/logic/install_root.h"
#include "setup/logic/program_starter.h"
#include "setup/logic/setup_prompts.h"
#include "setup/logic/system_steps.h"

namespace gw::setup {

class InstallSession {
 public:
  // `source_folder` is the distribution folder without its trailing separator ("" for the
  // root folder). Every collaborator must outlive the session.
  InstallSession(std::string source_folder, InstallRoot root, SetupPrompts& prompts,
                 FileInstaller& installer, SystemSteps& steps, ProgramStarter& starter,
                 Clock& clock);

  // Before the first page.
  void begin() { steps_.prepareInstall(); }

  const std::string& sourceFolder() const { return source_folder_; }
  const InstallRoot& root() const { return root_; }
  SetupPrompts& prompts() { return prompts_; }
  // The installation folder, a system path; the default until one is accepted.
  const std::string& folder() const { return folder_; }
  // Checks a folder the user chose, asking the questions it needs; the folder is kept when the
  // check accepts it.
  [[nodiscard]] bool acceptFolder(const std::string& folder);

  // Copies the program files and, when the copy was not abandoned, runs the system steps.
  // False when the copy was aborted or cancelled: setup ends then, the copied files stay.
  [[nodiscard]] bool copyAndRegister(CopyObserver& observer);

  // On Finish: asks the service manager to start the service, waits a second, and starts the
  // client when the user asked for it.
  void finish(bool run_client);

 private:
  std::string source_folder_;
  InstallRoot root_;
  SetupPrompts& prompts_;
  FileInstaller& installer_;
  SystemSteps& steps_;
  ProgramStarter& starter_;
  Clock& clock_;
  std::string folder_;
};

}  // namespace gw::setup
