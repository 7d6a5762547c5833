// A process that is not necessarily our child, known by its id: whether it has ended, and
// ending it. The closer uses it for the programs whose windows it closes.
#pragma once

#include <cstdint>
#include <memory>

#include "common/result_code.h"

namespace gw {

class OtherProcess {
 public:
  OtherProcess() = default;
  OtherProcess(const OtherProcess&) = delete;
  OtherProcess& operator=(const OtherProcess&) = delete;
  virtual ~OtherProcess() = default;

  // Takes hold of the running process `pid`, so that a later id reuse cannot redirect the calls
  // below. RC_NOT_AVAILABLE when there is no such process or it is not ours to watch.
  [[nodiscard]] static ResultCode open(int64_t pid, std::unique_ptr<OtherProcess>* process);

  virtual int64_t id() const = 0;
  // True once the process has ended, whether or not its parent has reaped it yet. Never blocks.
  virtual bool ended() = 0;
  // Asks the process to stop (SIGTERM) and kills it (SIGKILL) when it has not ended within
  // grace_ms. Blocks for at most grace_ms plus a moment for the kill to land.
  virtual void terminate(int grace_ms) = 0;
};

}  // namespace gw
