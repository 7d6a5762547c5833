// Bounded, framed reads of the driver's reply lines.
#include "service/driverlink/pipe_channel.h"

#include <utility>

namespace gw {
namespace {

constexpr size_t kChunk = 512;

}  // namespace

PipeChannel::PipeChannel(Clock& clock, std::unique_ptr<Pipe> to_driver,
                         std::unique_ptr<Pipe> from_driver, PipeChannelLimits limits)
    : clock_(clock),
      to_driver_(std::move(to_driver)),
      from_driver_(std::move(from_driver)),
      limits_(limits) {
  if (!to_driver_ || !from_driver_) failed_ = true;
}

ResultCode PipeChannel::fail() {
  failed_ = true;
  pending_.clear();
  return RC_PIPE_BROKEN;
}

ResultCode PipeChannel::discardStale() {
  pending_.clear();
  char chunk[kChunk];
  for (;;) {
    size_t got = 0;
    ResultCode rc = from_driver_->read(chunk, sizeof chunk, 0, &got);
    if (rc == RC_TIMEOUT) return RC_OK;
    if (rc != RC_OK) return fail();
  }
}

ResultCode PipeChannel::exchange(std::string_view request, std::string* reply) {
  if (failed_) return RC_PIPE_BROKEN;
  if (discardStale() != RC_OK) return RC_PIPE_BROKEN;
  if (to_driver_->write(request.data(), request.size()) != RC_OK) return fail();

  const int64_t deadline = clock_.monotonicMs() + limits_.reply_timeout_ms;
  std::string line;
  bool overlong = false;
  char chunk[kChunk];
  for (;;) {
    const int64_t left = deadline - clock_.monotonicMs();
    if (left <= 0) return fail();
    size_t got = 0;
    ResultCode rc = from_driver_->read(chunk, sizeof chunk, static_cast<int>(left), &got);
    if (rc != RC_OK) return fail();  // a time-out too: a driver that went quiet is not trusted
    std::string_view data(chunk, got);
    const size_t newline = data.find('\n');
    std::string_view part = data.substr(0, newline);
    if (!overlong) {
      if (line.size() + part.size() > limits_.max_reply_bytes) {
        overlong = true;
        line.clear();
      } else {
        line.append(part);
      }
    }
    if (newline != std::string_view::npos) {
      pending_.assign(data.substr(newline + 1));
      if (overlong) return RC_MALFORMED_REPLY;
      *reply = std::move(line);
      return RC_OK;
    }
  }
}

}  // namespace gw
