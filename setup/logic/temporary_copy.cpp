// The expansion and start shared by the launcher and the uninstaller's copy mode.
#include "setup/logic/temporary_copy.h"

namespace gw::setup {

bool startTemporaryCopy(FileInstaller& installer, SetupPrompts& prompts, ProgramStarter& starter,
                        const std::string& source, const std::string& copy,
                        const std::vector<std::string>& args) {
  uint32_t result = installer.install(source, copy, 0755);
  if (result & kInstallCannotReadSource) {
    prompts.tell("", kCheckSourceText, MessageKind::kError);
    return false;
  }
  return starter.start(copy, args);
}

bool isTemporaryCopy(const std::string& own_folder, const std::string& temp_folder) {
  return !own_folder.empty() && own_folder == temp_folder;
}

}  // namespace gw::setup
