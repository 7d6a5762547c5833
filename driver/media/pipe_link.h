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
  // Reads exactly `count` bytes, waiting at most timeout_ms for each one. RC_OK; RC_TIMEOUT
  // when a byte did not come in time (the bytes before it are in `buffer`, `*got` says how many
  // when given); RC_PIPE_BROKEN when the service's end closed or a read failed.
  [[nodiscard]] virtual ResultCode readTimed(uint8_t* buffer, size_t count, int timeout_ms,
                                             size_t* got = nullptr);
  // Waits at most timeout_ms for bytes, then takes what is there, at most `capacity`: RC_OK with
  // *got > 0, RC_TIMEOUT, or RC_PIPE_BROKEN. The caller keeps whatever follows its line feed.
  [[nodiscard]] virtual ResultCode readAvailable(uint8_t* buffer, size_t capacity, int timeout_ms,
                                                 size_t* got);
  // Reads exactly `count` bytes without a time limit: RC_OK or RC_PIPE_BROKEN.
  [[nodiscard]] virtual ResultCode read(uint8_t* buffer, size_t count);
  // One write of all bytes: RC_OK or RC_PIPE_BROKEN.
  [[nodiscard]] virtual ResultCode write(const uint8_t* bytes, size_t count);

 private:
  std::unique_ptr<Pipe> in_;
  std::unique_ptr<Pipe> out_;
};

}  // namespace gw
