// Pipe over a file descriptor, used by the process back-end and for the standard handles.
#pragma once

#include <memory>

#include "platform/pipe.h"
#include "platform/posix/unique_fd.h"

namespace gw::posix {

class FdPipe final : public Pipe {
 public:
  explicit FdPipe(UniqueFd fd) : fd_(std::move(fd)) {}
  ResultCode read(void* buffer, size_t count, int timeout_ms, size_t* got) override;
  ResultCode write(const void* bytes, size_t count) override;
  std::unique_ptr<Pipe> duplicate() const override;
  intptr_t pollHandle() const override { return fd_.get(); }
  int fd() const { return fd_.get(); }

 private:
  UniqueFd fd_;
};

}  // namespace gw::posix
