// NonBlockingStream over a non-blocking descriptor: a socket (send without SIGPIPE) or a
// terminal (plain read and write).
#pragma once

#include "platform/nonblocking_stream.h"
#include "platform/posix/unique_fd.h"

namespace gw::posix {

class FdStream final : public NonBlockingStream {
 public:
  enum class Kind { kSocket, kTerminal };

  FdStream(UniqueFd fd, Kind kind) : fd_(std::move(fd)), kind_(kind) {}

  intptr_t pollHandle() const override { return fd_.get(); }
  ResultCode receive(char* buffer, size_t capacity, size_t* got) override;
  ResultCode send(const char* data, size_t size, size_t* sent) override;
  void waitWritable(int timeout_ms) override;

 private:
  UniqueFd fd_;
  Kind kind_;
};

}  // namespace gw::posix
