// install: the installer and, copied into the installation folder as "Uninstal", the
// uninstaller. See setup/README.md for the command line.
#include <QApplication>
#include <cstdio>

#include "platform/clock.h"
#include "platform/instance_marker.h"
#include "platform/paths.h"
#include "platform/service_registrar.h"
#include "setup/logic/mspack_file_installer.h"
#include "setup/logic/program_starter.h"
#include "setup/logic/setup_program.h"
#include "setup/logic/setup_tables.h"
#include "setup/logic/unattended_prompts.h"
#include "setup/wizard/headless_platform.h"
#include "setup/wizard/qt_prompts.h"
#include "setup/wizard/removal_progress.h"
#include "setup/wizard/wizard_ui.h"

int main(int argc, char** argv) {
  using namespace gw::setup;
  std::vector<std::string> args(argv + 1, argv + argc);
  SetupCommand command;
  if (parseSetupCommand(args, &command) != RC_OK) {
    std::fprintf(stderr,
                 "usage: install [--root DIR] [--unattended] DISTRIBUTION-FOLDER\n"
                 "       Uninstal [--root DIR] [--unattended] [-Remove[FOLDER]]\n");
    return 64;
  }
  chooseHeadlessPlatform(command.unattended);
  QApplication app(argc, argv);
  QtPrompts window_prompts;
  UnattendedPrompts default_answers;
  SetupPrompts& prompts = command.unattended ? static_cast<SetupPrompts&>(default_answers)
                                             : window_prompts;
  MspackFileInstaller installer;
  SpawnProgramStarter starter;
  std::unique_ptr<gw::ServiceRegistrar> registrar = gw::createServiceRegistrar(command.root);
  std::unique_ptr<gw::InstanceMarker> client =
      gw::createClientMarker(gw::userRuntimeDirectory(), kClientMarker);
  WizardUi wizard(command.unattended, &window_prompts);
  RemovalProgress removal;
  SetupProgram program(SetupServices{
      prompts, installer, starter, *registrar, gw::systemClock(), *client,
      [](const std::string& dir) { return gw::createServiceMarker(dir, kServiceMarker); }, wizard,
      removal});
  return program.run(command, SetupPlaces{gw::executableDirectory(), gw::temporaryDirectory()});
}
