// One end of an anonymous pipe (or any byte stream file descriptor), owned.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "common/result_code.h"

namespace gw {

class Pipe {
 public:
  Pipe() = default;
  Pipe(const Pipe&) = delete;
  Pipe& operator=(const Pipe&) = delete;
  virtual ~Pipe() = default;  // closes the end

  // Waits at most timeout_ms (negative: no limit) for bytes, then reads what is there, at most
  // `count`. RC_OK with *got > 0; RC_TIMEOUT when nothing came in time; RC_PIPE_BROKEN when the
  // other end closed or the read failed.
  [[nodiscard]] virtual ResultCode read(void* buffer, size_t count, int timeout_ms,
                                        size_t* got) = 0;
  // Writes all bytes or fails: RC_OK, or RC_PIPE_BROKEN on a failed or short write.
  [[nodiscard]] virtual ResultCode write(const void* bytes, size_t count) = 0;
  // A second owner of the same stream; null when the system refuses.
  virtual std::unique_ptr<Pipe> duplicate() const = 0;
  // The back-end's handle for a PollSet; -1 for an end that cannot be waited on with others.
  virtual intptr_t pollHandle() const { return -1; }
};

// Adopts the process's own standard input and output (porter's link to the service). Null when
// the handle is invalid.
std::unique_ptr<Pipe> adoptStandardInput();
std::unique_ptr<Pipe> adoptStandardOutput();

}  // namespace gw
