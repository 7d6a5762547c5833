// Pipe link: timed reads of the service's request lines, and the replies written in one piece.
#include "driver/media/pipe_link.h"

namespace gw {

std::unique_ptr<PipeLink> PipeLink::clone() const {
  if (!in_ || !out_) return nullptr;
  std::unique_ptr<Pipe> in = in_->duplicate();
  std::unique_ptr<Pipe> out = out_->duplicate();
  if (!in || !out) return nullptr;
  return std::make_unique<PipeLink>(std::move(in), std::move(out));
}

ResultCode PipeLink::readTimed(uint8_t* buffer, size_t count, int timeout_ms, size_t* got) {
  if (got) *got = 0;
  if (!in_) return RC_PIPE_BROKEN;
  // One byte per read: nothing past the line feed is taken from the pipe, so no byte is ever
  // held here out of the caller's sight.
  for (size_t i = 0; i < count; ++i) {
    size_t n = 0;
    ResultCode rc = in_->read(buffer + i, 1, timeout_ms < 0 ? 0 : timeout_ms, &n);
    if (rc == RC_TIMEOUT) return RC_TIMEOUT;
    if (rc != RC_OK || n != 1) return RC_PIPE_BROKEN;
    if (got) *got = i + 1;
  }
  return RC_OK;
}

ResultCode PipeLink::readAvailable(uint8_t* buffer, size_t capacity, int timeout_ms,
                                   size_t* got) {
  *got = 0;
  if (!in_) return RC_PIPE_BROKEN;
  size_t n = 0;
  ResultCode rc = in_->read(buffer, capacity, timeout_ms < 0 ? 0 : timeout_ms, &n);
  if (rc == RC_TIMEOUT) return RC_TIMEOUT;
  if (rc != RC_OK || n == 0) return RC_PIPE_BROKEN;
  *got = n;
  return RC_OK;
}

ResultCode PipeLink::read(uint8_t* buffer, size_t count) {
  if (!in_) return RC_PIPE_BROKEN;
  size_t done = 0;
  while (done < count) {
    size_t n = 0;
    if (in_->read(buffer + done, count - done, -1, &n) != RC_OK || n == 0) return RC_PIPE_BROKEN;
    done += n;
  }
  return RC_OK;
}

ResultCode PipeLink::write(const uint8_t* bytes, size_t count) {
  if (!out_) return RC_PIPE_BROKEN;
  return out_->write(bytes, count) == RC_OK ? RC_OK : RC_PIPE_BROKEN;
}

}  // namespace gw
