// launcher: started from the distribution folder; expands the installer into the temporary
// folder and starts it there. It reads only --root and --unattended, which it hands on.
#include <QApplication>

#include "platform/file_system.h"
#include "platform/paths.h"
#include "setup/logic/launcher.h"
#include "setup/logic/mspack_file_installer.h"
#include "setup/logic/program_starter.h"
#include "setup/logic/setup_command.h"
#include "setup/logic/unattended_prompts.h"
#include "setup/wizard/headless_platform.h"
#include "setup/wizard/qt_prompts.h"

int main(int argc, char** argv) {
  using namespace gw::setup;
  SetupCommand options;
  if (parseSetupCommand(std::vector<std::string>(argv + 1, argv + argc), &options) != RC_OK) {
    options = SetupCommand{};
  }
  chooseHeadlessPlatform(options.unattended);
  QApplication app(argc, argv);
  QtPrompts window_prompts(true);
  UnattendedPrompts default_answers;
  SetupPrompts& prompts = options.unattended ? static_cast<SetupPrompts&>(default_answers)
                                             : window_prompts;
  MspackFileInstaller installer;
  SpawnProgramStarter starter;
  Launcher launcher(prompts, installer, starter);
  launcher.run(gw::joinPath(gw::executableDirectory(), "launcher"), gw::temporaryDirectory(),
               forwardedOptions(options));
  return 0;
}
