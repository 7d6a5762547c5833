// The driver's channel to the service: the standard input and output pipes, owned.
//
// Reads block in poll(2) for at most the time asked, so an idle driver sleeps until a byte comes
// or its next poll is due. Single-threaded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "common/result_code.h"
#include "platform/pipe.h"

namespace gw {

class PipeLink {
 public:
  // Takes both ends; either may be null, and every operation on a missing end gives
  // RC_PIPE_BROKEN.
  PipeLink(std::unique_ptr<Pipe> in, std::unique_ptr<Pipe> out)
      : in_(std::move(in)), out_(std::move(out)) {}
  PipeLink(const PipeLink&) = delete;
  PipeLink& operator=(const PipeLink&) = delete;
  virtual ~PipeLink() = default;  // closes both ends

  // A new link over duplicates of both ends; null when a duplicate fails.
  virtual std::unique_ptr<PipeLink> clone() const;
  // Waits at most timeout_ms for bytes, then takes what is there, at most `capacity`: RC_OK with
  // *got > 0, RC_TIMEOUT, or RC_PIPE_BROKEN. The caller keeps whatever follows its line feed.
  [[nodiscard]] virtual ResultCode readAvailable(uint8_t* buffer, size_t capacity, int timeout_ms,
                                                 size_t* got);
  // One write of all bytes: RC_OK or RC_PIPE_BROKEN.
  [[nodiscard]] virtual ResultCode write(const uint8_t* bytes, size_t count);

 private:
  std::unique_ptr<Pipe> in_;
  std::unique_ptr<Pipe> out_;
};

}  // namespace gw
