// The driver channel over the two pipes of a running driver process.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "platform/clock.h"
#include "platform/pipe.h"
#include "service/driverlink/driver_channel.h"

namespace gw {

struct PipeChannelLimits {
  int reply_timeout_ms = 10000;   // a driver silent this long is taken for dead
  size_t max_reply_bytes = 4096;  // a longer reply line is refused as malformed
};

class PipeChannel final : public DriverChannel {
 public:
  // Owns both ends: `to_driver` carries the driver's standard input, `from_driver` its standard
  // output. The clock must outlive the channel. Destroying the channel closes both ends.
  PipeChannel(Clock& clock, std::unique_ptr<Pipe> to_driver, std::unique_ptr<Pipe> from_driver,
              PipeChannelLimits limits = {});

  // Writes the request and blocks for the reply at most limits.reply_timeout_ms. Bytes left
  // over from an earlier reply are thrown away first, so replies never shift onto the wrong
  // request. RC_PIPE_BROKEN on a failed write or read, an end of file, or a time-out; after that
  // the channel is failed() and answers every exchange with RC_PIPE_BROKEN without I/O.
  // RC_MALFORMED_REPLY for a reply line over the size limit (the rest of that line is consumed
  // and dropped; the channel stays usable).
  ResultCode exchange(std::string_view request, std::string* reply) override;

  // True once the pipes failed or the driver stopped answering in time.
  bool failed() const { return failed_; }

 private:
  ResultCode fail();
  // Drops whatever the driver wrote that no request asked for.
  ResultCode discardStale();

  Clock& clock_;
  std::unique_ptr<Pipe> to_driver_;
  std::unique_ptr<Pipe> from_driver_;
  PipeChannelLimits limits_;
  std::string pending_;  // bytes read past the end of the last reply
  bool failed_ = false;
};

}  // namespace gw
