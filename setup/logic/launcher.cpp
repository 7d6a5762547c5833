// Nothing is written before the user has said Yes.
#include "setup/logic/launcher.h"

#include "setup/logic/setup_tables.h"
#include "setup/logic/temporary_copy.h"

namespace gw::setup {

std::string sourceFolderOf(const std::string& program_path) {
  size_t slash = program_path.find_last_of('/');
  return slash == std::string::npos ? "./" : program_path.substr(0, slash + 1);
}

void Launcher::run(const std::string& program_path, const std::string& temp_folder,
                   const std::vector<std::string>& options) {
  std::string question = kLaunchQuestionFormat;
  question.replace(question.find("%s"), 2, kProductName);
  if (!prompts_.askYesNo("Setup", question)) return;
  std::string source = sourceFolderOf(program_path);
  std::vector<std::string> args = options;
  args.push_back(source);
  (void)startTemporaryCopy(installer_, prompts_, starter_, source + kInstallerCompressed,
                           temp_folder + "/" + kInstallerExpanded, args);  // nothing to report
}

}  // namespace gw::setup
