// The expansion and start shared by the launcher and the uninstaller's copy mode.
#include "setup/logic/temporary_copy.h"

#include <filesystem>
#include <system_error>

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
  // The same folder by another spelling (a link on the way) counts too.
  std::error_code ec;
  return !own_folder.empty() && std::filesystem::equivalent(own_folder, temp_folder, ec);
}

}  // namespace gw::setup
