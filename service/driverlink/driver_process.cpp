// Starting and ending the driver child process.
#include "service/driverlink/driver_process.h"

#include <utility>

#include "platform/file_system.h"
#include "platform/paths.h"

namespace gw {
namespace {

constexpr int kExitGraceMs = 100;

}  // namespace

std::string defaultDriverPath() { return joinPath(executableDirectory(), "porter"); }

ResultCode DriverProcess::start(Clock& clock, const std::string& program, int32_t media_type,
                                int32_t media_index, PipeChannelLimits limits,
                                std::unique_ptr<DriverProcess>* process) {
  SpawnOptions options;
  options.program = program;
  options.args = {std::to_string(media_type), std::to_string(media_index)};
  options.pipe_stdin = true;
  options.pipe_stdout = true;
  options.raise_priority = true;
  // Its own group, so that ending it also ends anything it started.
  options.new_process_group = true;
  std::unique_ptr<ChildProcess> child;
  ResultCode rc = spawnProcess(options, &child);
  if (rc != RC_OK) return RC_NOT_AVAILABLE;
  std::unique_ptr<Pipe> to_driver = child->takeStdin();
  std::unique_ptr<Pipe> from_driver = child->takeStdout();
  if (!to_driver || !from_driver) {
    child->terminate();
    return RC_NOT_AVAILABLE;
  }
  auto channel =
      std::make_unique<PipeChannel>(clock, std::move(to_driver), std::move(from_driver), limits);
  process->reset(new DriverProcess(std::move(child), std::move(channel)));
  return RC_OK;
}

DriverProcess::DriverProcess(std::unique_ptr<ChildProcess> child,
                             std::unique_ptr<PipeChannel> channel)
    : child_(std::move(child)), channel_(std::move(channel)) {}

DriverProcess::~DriverProcess() {
  channel_.reset();
  int exit_code = 0;
  if (child_->wait(kExitGraceMs, &exit_code) == RC_TIMEOUT) child_->terminate();
}

}  // namespace gw
