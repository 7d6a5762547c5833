// Pipe reads bounded by poll(2), writes that finish or fail.
#include "platform/posix/fd_pipe.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include "platform/clock.h"
#include "platform/posix/errno_result.h"

namespace gw::posix {

ResultCode FdPipe::read(void* buffer, size_t count, int timeout_ms, size_t* got) {
  if (count == 0) {
    *got = 0;
    return RC_OK;
  }
  int64_t deadline = timeout_ms < 0 ? 0 : systemClock().monotonicMs() + timeout_ms;
  for (;;) {
    int wait = -1;
    if (timeout_ms >= 0) {
      int64_t left = deadline - systemClock().monotonicMs();
      wait = left > 0 ? static_cast<int>(left) : 0;
    }
    pollfd p{fd_.get(), POLLIN, 0};
    int r = ::poll(&p, 1, wait);
    if (r < 0) {
      if (errno == EINTR) continue;
      return RC_PIPE_BROKEN;
    }
    if (r == 0) return RC_TIMEOUT;
    ssize_t n = retryEintr([&] { return ::read(fd_.get(), buffer, count); });
    if (n < 0 && errno == EAGAIN) continue;
    if (n <= 0) return RC_PIPE_BROKEN;  // 0 is the other end closing
    *got = static_cast<size_t>(n);
    return RC_OK;
  }
}

ResultCode FdPipe::write(const void* bytes, size_t count) {
  const char* p = static_cast<const char*>(bytes);
  size_t done = 0;
  while (done < count) {
    ssize_t n = retryEintr([&] { return ::write(fd_.get(), p + done, count - done); });
    if (n < 0 && errno == EAGAIN) {
      pollfd pf{fd_.get(), POLLOUT, 0};
      (void)::poll(&pf, 1, 100);  // non-blocking descriptor: wait for room and try again
      continue;
    }
    if (n <= 0) return RC_PIPE_BROKEN;
    done += static_cast<size_t>(n);
  }
  return RC_OK;
}

std::unique_ptr<Pipe> FdPipe::duplicate() const {
  int fd = ::fcntl(fd_.get(), F_DUPFD_CLOEXEC, 0);
  if (fd < 0) return nullptr;
  return std::make_unique<FdPipe>(UniqueFd(fd));
}

}  // namespace gw::posix

namespace gw {
namespace {

std::unique_ptr<Pipe> adopt(int fd) {
  if (::fcntl(fd, F_GETFD) < 0) return nullptr;
  int copy = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
  if (copy < 0) return nullptr;
  return std::make_unique<posix::FdPipe>(posix::UniqueFd(copy));
}

}  // namespace

std::unique_ptr<Pipe> adoptStandardInput() { return adopt(STDIN_FILENO); }
std::unique_ptr<Pipe> adoptStandardOutput() { return adopt(STDOUT_FILENO); }

}  // namespace gw
