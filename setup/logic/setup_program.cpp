// Mode dispatch, and the temporary copy's removal of itself at the end.
#include "setup/logic/setup_program.h"

#include <filesystem>
#include <system_error>

#include "setup/logic/setup_tables.h"
#include "setup/logic/system_steps.h"
#include "setup/logic/temporary_copy.h"

namespace gw::setup {

int SetupProgram::run(const SetupCommand& command, const SetupPlaces& places) {
  bool done = false;
  const char* temporary_name = nullptr;
  switch (command.mode) {
    case SetupMode::kCopyForRemoval:
      done = startRemovalCopy(command, places);
      break;
    case SetupMode::kRemove:
      done = remove(command);
      temporary_name = kUninstallerName;
      break;
    case SetupMode::kInstall:
      done = install(command);
      temporary_name = kInstallerExpanded;
      break;
  }
  // A copy in the temporary folder is of no use once it has run.
  if (temporary_name && isTemporaryCopy(places.own_folder, places.temp_folder)) {
    std::error_code ec;
    std::filesystem::remove(places.temp_folder + "/" + temporary_name, ec);
  }
  return done ? 0 : 1;
}

bool SetupProgram::startRemovalCopy(const SetupCommand& command, const SetupPlaces& places) {
  InstallRoot root(command.root);
  std::vector<std::string> args = forwardedOptions(command);
  args.push_back(std::string("-Remove") + root.systemPathOf(places.own_folder));
  return startTemporaryCopy(services_.installer, services_.prompts, services_.starter,
                            places.own_folder + "/" + kUninstallerName,
                            places.temp_folder + "/" + kUninstallerName, args);
}

bool SetupProgram::remove(const SetupCommand& command) {
  InstallRoot root(command.root);
  SystemSteps steps(root, services_.registrar, configuredUsbIds());
  std::unique_ptr<InstanceMarker> service = services_.service_marker(root.place(command.folder));
  Uninstaller uninstaller(root, services_.prompts, services_.client, *service, steps,
                          services_.clock);
  return uninstaller.run(command.folder, services_.removal);
}

bool SetupProgram::install(const SetupCommand& command) {
  InstallRoot root(command.root);
  SystemSteps steps(root, services_.registrar, configuredUsbIds());
  InstallSession session(command.folder, root, services_.prompts, services_.installer, steps,
                         services_.starter, services_.clock);
  session.begin();
  return services_.wizard.run(session);
}

}  // namespace gw::setup
