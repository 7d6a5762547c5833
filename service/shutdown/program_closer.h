// The application closer as a program beside the service: "sweeper" in the service's directory.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/clock.h"
#include "platform/process.h"
#include "service/shutdown/application_closer.h"

namespace gw {

class ProgramCloser final : public ApplicationCloser {
 public:
  static constexpr const char* kCloserName = "sweeper";
  // How often the closer is checked while it runs.
  static constexpr int64_t kPollMs = 100;

  // Starts a program; spawnProcess in the service, a fake in tests.
  using Launcher =
      std::function<ResultCode(const SpawnOptions& options, std::unique_ptr<ChildProcess>* child)>;

  // `service_dir` is where the closer lives. `clock` must outlive the closer; the launcher's
  // children are used only during closeApplications().
  ProgramCloser(std::string service_dir, Clock& clock, Launcher launcher = spawnProcess);

  // Starts "<service_dir>/sweeper" without arguments and waits, in slices of kPollMs on the
  // clock, until it ends or kWaitLimitMs have passed.
  [[nodiscard]] ResultCode closeApplications() override;

 private:
  std::string service_dir_;
  Clock& clock_;
  Launcher launcher_;
};

}  // namespace gw
