// A byte stream that never blocks its reader or writer: the simulator's end of a local socket
// or of a pseudo-terminal, served from one poll loop.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "common/result_code.h"

namespace gw {

// Single-threaded. Destruction closes the stream.
class NonBlockingStream {
 public:
  NonBlockingStream() = default;
  NonBlockingStream(const NonBlockingStream&) = delete;
  NonBlockingStream& operator=(const NonBlockingStream&) = delete;
  virtual ~NonBlockingStream() = default;

  // What the caller's poll waits on for readability.
  virtual intptr_t pollHandle() const = 0;
  // Reads what is waiting, at most `capacity`. RC_OK with *got > 0; RC_TIMEOUT when nothing is
  // waiting; RC_PIPE_BROKEN when the other end closed or the read failed.
  [[nodiscard]] virtual ResultCode receive(char* buffer, size_t capacity, size_t* got) = 0;
  // Writes what fits now. RC_OK with *sent > 0; RC_TIMEOUT when nothing fits now;
  // RC_PIPE_BROKEN when the other end is gone. Never raises a signal.
  [[nodiscard]] virtual ResultCode send(const char* data, size_t size, size_t* sent) = 0;
  // Waits at most timeout_ms until send() can take bytes again.
  virtual void waitWritable(int timeout_ms) = 0;
};

// Sends all of `data`, waiting up to `stall_wait_ms` each time nothing fits, at most
// `max_stalls` times. RC_OK; RC_TIMEOUT when the other end stopped reading; RC_PIPE_BROKEN.
[[nodiscard]] inline ResultCode sendAll(NonBlockingStream& stream, std::string_view data,
                                        int max_stalls, int stall_wait_ms) {
  size_t done = 0;
  int stalls = 0;
  while (done < data.size()) {
    size_t sent = 0;
    ResultCode rc = stream.send(data.data() + done, data.size() - done, &sent);
    if (rc == RC_OK) {
      done += sent;
    } else if (rc == RC_TIMEOUT && stalls++ < max_stalls) {
      stream.waitWritable(stall_wait_ms);
    } else {
      return rc;
    }
  }
  return RC_OK;
}

}  // namespace gw
