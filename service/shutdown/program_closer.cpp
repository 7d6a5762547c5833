// Running the closer program and waiting for it within the limit.
#include "service/shutdown/program_closer.h"

#include <algorithm>

#include "platform/file_system.h"

namespace gw {

ProgramCloser::ProgramCloser(std::string service_dir, Clock& clock, Launcher launcher)
    : service_dir_(std::move(service_dir)), clock_(clock), launcher_(std::move(launcher)) {}

ResultCode ProgramCloser::closeApplications() {
  SpawnOptions options;
  options.program = joinPath(service_dir_, kCloserName);
  std::unique_ptr<ChildProcess> closer;
  if (!launcher_ || launcher_(options, &closer) != RC_OK || !closer) return RC_NOT_AVAILABLE;
  // Waiting in slices on our own clock keeps the limit testable and independent of how the
  // child's wait measures time.
  const int64_t deadline = clock_.monotonicMs() + kWaitLimitMs;
  for (;;) {
    int exit_code = 0;
    if (closer->wait(0, &exit_code) == RC_OK) return RC_OK;
    int64_t left = deadline - clock_.monotonicMs();
    if (left <= 0) return RC_TIMEOUT;  // the closer is left running
    clock_.sleepMs(std::min(left, kPollMs));
  }
}

}  // namespace gw
