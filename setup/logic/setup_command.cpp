// Mode selection by the text of the command line.
#include "setup/logic/setup_command.h"

namespace gw::setup {
namespace {

constexpr const char* kRemoveSwitch = "-Remove";

}  // namespace

ResultCode parseSetupCommand(const std::vector<std::string>& args, SetupCommand* command) {
  SetupCommand parsed;
  std::string text;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--root") {
      if (i + 1 == args.size()) return RC_MISSING_ARGUMENT;
      parsed.root = args[++i];
    } else if (args[i] == "--unattended") {
      parsed.unattended = true;
    } else {
      if (!text.empty()) text += ' ';
      text += args[i];
    }
  }
  const std::string remove = kRemoveSwitch;
  if (text.empty() || text == remove) {
    parsed.mode = SetupMode::kCopyForRemoval;
  } else if (text.compare(0, remove.size(), remove) == 0) {
    parsed.mode = SetupMode::kRemove;
    parsed.folder = text.substr(remove.size());
  } else {
    parsed.mode = SetupMode::kInstall;
    // "/" becomes "": the files are then named "/" + name, the root folder's own.
    if (text.back() == '/') text.pop_back();
    parsed.folder = text;
  }
  *command = std::move(parsed);
  return RC_OK;
}

std::vector<std::string> forwardedOptions(const SetupCommand& command) {
  std::vector<std::string> options;
  if (command.root != "/") options = {"--root", command.root};
  if (command.unattended) options.push_back("--unattended");
  return options;
}

}  // namespace gw::setup
