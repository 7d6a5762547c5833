// The installer program's three modes over its collaborators: install through the wizard,
// remove from a folder, and the copy mode that runs a temporary uninstaller.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/clock.h"
#include "platform/instance_marker.h"
#include "platform/service_registrar.h"
#include "setup/logic/file_installer.h"
#include "setup/logic/install_session.h"
#include "setup/logic/program_starter.h"
#include "setup/logic/setup_command.h"
#include "setup/logic/setup_prompts.h"
#include "setup/logic/uninstaller.h"

namespace gw::setup {

// The wizard, as the program sees it.
class InstallUi {
 public:
  InstallUi() = default;
  InstallUi(const InstallUi&) = delete;
  InstallUi& operator=(const InstallUi&) = delete;
  virtual ~InstallUi() = default;

  // Runs the pages over the session until setup ends. True when it ended by Finish.
  virtual bool run(InstallSession& session) = 0;
};

// The service's marker in a folder on this machine.
using ServiceMarkerFactory = std::function<std::unique_ptr<InstanceMarker>(const std::string&)>;

struct SetupServices {
  SetupPrompts& prompts;
  FileInstaller& installer;
  ProgramStarter& starter;
  ServiceRegistrar& registrar;
  Clock& clock;
  InstanceMarker& client;
  ServiceMarkerFactory service_marker;
  InstallUi& wizard;
  RemovalObserver& removal;
};

struct SetupPlaces {
  std::string own_folder;   // the running program's folder
  std::string temp_folder;  // the system's temporary folder
};

class SetupProgram {
 public:
  explicit SetupProgram(SetupServices services) : services_(std::move(services)) {}

  // Runs the mode and returns the exit code: 0 when it went through, 1 when setup ended early
  // (a No, an Abort, a cancel, or a copy that could not be started).
  int run(const SetupCommand& command, const SetupPlaces& places);

 private:
  bool startRemovalCopy(const SetupCommand& command, const SetupPlaces& places);
  bool remove(const SetupCommand& command);
  bool install(const SetupCommand& command);

  SetupServices services_;
};

}  // namespace gw::setup
