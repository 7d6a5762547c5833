// The child is let go: its handle is dropped without a wait, and it is reaped by the system
// once the starter itself has ended.
#include "setup/logic/program_starter.h"

#include <memory>

#include "platform/process.h"

namespace gw::setup {

bool SpawnProgramStarter::start(const std::string& program, const std::vector<std::string>& args) {
  SpawnOptions options;
  options.program = program;
  options.args = args;
  options.new_process_group = true;  // a signal to the starter's group does not reach it
  std::unique_ptr<ChildProcess> child;
  return spawnProcess(options, &child) == RC_OK;
}

}  // namespace gw::setup
