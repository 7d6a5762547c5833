// The driver channel over the two pipes of a running driver process: requests are written at
// once and their replies matched in order, so any number may be in flight.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

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
  // output. The clock must outlive the channel. Destroying the channel closes both ends; the
  // handlers of requests still in flight then run with RC_PIPE_BROKEN.
  PipeChannel(Clock& clock, std::unique_ptr<Pipe> to_driver, std::unique_ptr<Pipe> from_driver,
              PipeChannelLimits limits = {});
  ~PipeChannel() override;

  // Writes the request and blocks until its reply is in, at most the reply time-out after the
  // driver last answered. Bytes that no request asked for are thrown away, so replies never
  // shift onto the wrong request. RC_PIPE_BROKEN on a failed write or read, an end of file, or a
  // time-out; after that the channel is failed() and answers every request with RC_PIPE_BROKEN
  // without I/O. RC_MALFORMED_REPLY for a reply line over the size limit (the rest of that line
  // is consumed and dropped; the channel stays usable).
  ResultCode exchange(std::string_view request, std::string* reply) override;
  // The same rules for requests in flight: a reply line is matched to the oldest unanswered
  // request; a failure answers every one of them RC_PIPE_BROKEN. Handlers of a failed channel
  // run before submit returns.
  void submit(std::vector<Request> requests) override;
  const PollableSocket* replyWatch() const override;
  void onReadable() override;
  void checkTimeouts(uint32_t& timeout_ms) override;
  void awaitAll() override;
  size_t inFlight() const override { return waiting_.size(); }

  // True once the pipes failed or the driver stopped answering in time.
  bool failed() const { return failed_; }

 private:
  class Watch;

  // Reads once, waiting at most wait_ms, and completes the requests whose replies came.
  ResultCode readReplies(int wait_ms);
  void takeLine(std::string_view line, bool overlong);
  // When the oldest request in flight is given up.
  int64_t deadline() const;
  ResultCode fail();

  Clock& clock_;
  std::unique_ptr<Pipe> to_driver_;
  std::unique_ptr<Pipe> from_driver_;
  std::unique_ptr<Watch> watch_;
  PipeChannelLimits limits_;
  std::deque<ReplyHandler> waiting_;  // oldest first
  int64_t last_progress_ms_ = 0;      // the last write into an idle channel, or the last reply
  std::string line_;                  // the reply line read so far
  bool overlong_ = false;
  bool failed_ = false;
};

}  // namespace gw
