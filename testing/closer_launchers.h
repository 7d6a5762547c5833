// Launchers for ProgramCloser tests: a closer that runs for a set time on the fake clock, or
// one that cannot be started; each notes what was launched.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "service/shutdown/program_closer.h"
#include "testing/fake_child_process.h"
#include "testing/fake_clock.h"
#include "testing/recording_system_log.h"

namespace gw {

struct CloserLaunches {
  explicit CloserLaunches(FakeClock& clock) : clock_(clock) {}

  // A closer that ends `run_ms` after it starts (FakeChildProcess::kNever: it hangs). `steps`
  // (may be null) gets "closer" at each start.
  ProgramCloser::Launcher running(int64_t run_ms, std::vector<std::string>* steps = nullptr) {
    return [this, run_ms, steps](const SpawnOptions& options,
                                 std::unique_ptr<ChildProcess>* child) {
      launched.push_back(options);
      if (steps) steps->push_back("closer");
      int64_t end = run_ms == FakeChildProcess::kNever ? run_ms : clock_.monotonicMs() + run_ms;
      *child = std::make_unique<FakeChildProcess>(clock_, end, 0, &counts);
      return RC_OK;
    };
  }

  ProgramCloser::Launcher missing() {
    return [this](const SpawnOptions& options, std::unique_ptr<ChildProcess>*) {
      launched.push_back(options);
      return RC_NOT_AVAILABLE;
    };
  }

  // Our own account on a display nobody opens, so nothing needs a login manager.
  static ResultCode ownSession(GraphicalSession* session) {
    return ownGraphicalSession(":gridwatch-test", session);
  }

  // The closer in `service_dir`, in our own session, with records going to "saved" there.
  std::unique_ptr<ProgramCloser> closer(const std::string& service_dir,
                                        ProgramCloser::Launcher launcher) {
    return std::make_unique<ProgramCloser>(service_dir, service_dir + "/saved", clock_,
                                           &CloserLaunches::ownSession, log, std::move(launcher));
  }

  std::vector<SpawnOptions> launched;
  RecordingSystemLog log;
  // The closer frees its child once it stops waiting; the counts outlive it.
  FakeChildProcess::Counts counts;

 private:
  FakeClock& clock_;
};

}  // namespace gw
