// One run of the driver program as a child process, with its two pipes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "common/result_code.h"
#include "platform/clock.h"
#include "platform/process.h"
#include "service/driverlink/pipe_channel.h"

namespace gw {

// The driver program beside the service's executable ("porter" in the service's directory).
std::string defaultDriverPath();

class DriverProcess {
 public:
  // Starts `program` with the two arguments "<media_type> <media_index>", its standard input and
  // output on pipes to us, its standard error shared with ours. A higher scheduling priority is
  // asked for; a refusal is ignored. RC_NOT_AVAILABLE when the program is missing or cannot be
  // started; *process is untouched then. The clock must outlive the process object.
  [[nodiscard]] static ResultCode start(Clock& clock, const std::string& program,
                                        int32_t media_type, int32_t media_index,
                                        PipeChannelLimits limits,
                                        std::unique_ptr<DriverProcess>* process);

  DriverProcess(const DriverProcess&) = delete;
  DriverProcess& operator=(const DriverProcess&) = delete;
  // Closes the pipes, which ends a healthy driver by itself; waits at most 100 ms for that and
  // then kills the process. Blocks for at most about 100 ms.
  ~DriverProcess();

  PipeChannel& channel() { return *channel_; }
  int64_t pid() const { return child_->id(); }

 private:
  DriverProcess(std::unique_ptr<ChildProcess> child, std::unique_ptr<PipeChannel> channel);

  std::unique_ptr<ChildProcess> child_;
  std::unique_ptr<PipeChannel> channel_;
};

}  // namespace gw
