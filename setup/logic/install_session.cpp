// The installation's steps in their order; the wizard decides only when each one runs.
#include "setup/logic/install_session.h"

#include "setup/logic/destination_check.h"
#include "setup/logic/setup_tables.h"

namespace gw::setup {
namespace {

constexpr int kServiceStartWaitMs = 1000;

}  // namespace

InstallSession::InstallSession(std::string source_folder, InstallRoot root, SetupPrompts& prompts,
                               FileInstaller& installer, SystemSteps& steps,
                               ProgramStarter& starter, Clock& clock)
    : source_folder_(std::move(source_folder)),
      root_(std::move(root)),
      prompts_(prompts),
      installer_(installer),
      steps_(steps),
      starter_(starter),
      clock_(clock),
      folder_(kDefaultFolder) {}

bool InstallSession::acceptFolder(const std::string& folder) {
  std::string chosen = folder;
  while (chosen.size() > 1 && chosen.back() == '/') chosen.pop_back();
  DestinationCheck check(root_, prompts_);
  if (!check.accept(chosen)) return false;
  folder_ = chosen;
  return true;
}

bool InstallSession::copyAndRegister(CopyObserver& observer) {
  CopyLoop loop(installer_, prompts_, clock_);
  if (!loop.run(source_folder_, folder_, root_, observer)) return false;
  steps_.install(folder_);
  return true;
}

void InstallSession::finish(bool run_client) {
  // Neither start is reported: the service manager and the client speak for themselves.
  (void)starter_.start(root_.place(folder_ + "/monsvc"), {"-start"});
  clock_.sleepMs(kServiceStartWaitMs);
  if (run_client) (void)starter_.start(root_.place(folder_ + "/monview"), {});
}

}  // namespace gw::setup
