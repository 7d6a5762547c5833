// Non-blocking reads and writes with the would-block case kept apart from a broken stream.
#include "platform/posix/fd_stream.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/posix/errno_result.h"

namespace gw::posix {

ResultCode FdStream::receive(char* buffer, size_t capacity, size_t* got) {
  ssize_t n = retryEintr([&] {
    return kind_ == Kind::kSocket ? ::recv(fd_.get(), buffer, capacity, 0)
                                  : ::read(fd_.get(), buffer, capacity);
  });
  if (n > 0) {
    *got = static_cast<size_t>(n);
    return RC_OK;
  }
  if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return RC_TIMEOUT;
  return RC_PIPE_BROKEN;
}

ResultCode FdStream::send(const char* data, size_t size, size_t* sent) {
  ssize_t n = retryEintr([&] {
    return kind_ == Kind::kSocket ? ::send(fd_.get(), data, size, MSG_NOSIGNAL)
                                  : ::write(fd_.get(), data, size);
  });
  if (n > 0) {
    *sent = static_cast<size_t>(n);
    return RC_OK;
  }
  if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return RC_TIMEOUT;
  return RC_PIPE_BROKEN;
}

void FdStream::waitWritable(int timeout_ms) {
  pollfd p{fd_.get(), POLLOUT, 0};
  (void)retryEintr([&] { return ::poll(&p, 1, timeout_ms); });  // the next send finds out
}

}  // namespace gw::posix
