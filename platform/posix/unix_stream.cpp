// Connecting to, sending on and draining Unix stream sockets.
#include "platform/posix/unix_stream.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>

#include <cstring>

#include "platform/clock.h"
#include "platform/posix/errno_result.h"

namespace gw::posix {

bool unixSocketAddress(const std::string& path, sockaddr_un* addr) {
  *addr = sockaddr_un{};
  addr->sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof addr->sun_path) return false;
  std::memcpy(addr->sun_path, path.c_str(), path.size() + 1);
  return true;
}

ResultCode connectUnixSocket(const std::string& path, UniqueFd* fd) {
  sockaddr_un addr{};
  if (!unixSocketAddress(path, &addr)) return RC_NOT_AVAILABLE;
  UniqueFd sock(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (!sock.valid()) return RC_NOT_AVAILABLE;
  if (retryEintr([&] {
        return ::connect(sock.get(), reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
      }) != 0) {
    return RC_NOT_AVAILABLE;
  }
  int flags = ::fcntl(sock.get(), F_GETFL);
  if (flags < 0 || ::fcntl(sock.get(), F_SETFL, flags | O_NONBLOCK) != 0) return RC_NOT_AVAILABLE;
  *fd = std::move(sock);
  return RC_OK;
}

ResultCode sendWithin(int fd, const std::string& bytes, int timeout_ms) {
  Clock& clock = systemClock();
  const int64_t deadline = clock.monotonicMs() + timeout_ms;
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = retryEintr(
        [&] { return ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL); });
    if (n > 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      int64_t left = deadline - clock.monotonicMs();
      if (left <= 0) return RC_TIMEOUT;
      pollfd p{fd, POLLOUT, 0};
      (void)::poll(&p, 1, static_cast<int>(left));  // the next send tells whether room appeared
      continue;
    }
    return RC_LINE_FAILURE;
  }
  return RC_OK;
}

bool receiveWaiting(int fd, int timeout_ms, std::string* received) {
  pollfd p{fd, POLLIN, 0};
  int r = retryEintr([&] { return ::poll(&p, 1, timeout_ms > 0 ? timeout_ms : 0); });
  if (r < 0) return false;
  if (r == 0) return true;
  char buf[4096];
  for (;;) {
    ssize_t n = retryEintr([&] { return ::recv(fd, buf, sizeof buf, 0); });
    if (n > 0) {
      received->append(buf, static_cast<size_t>(n));
      continue;
    }
    // EAGAIN: all taken. Zero: an orderly close. Anything else: the stream failed.
    return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
  }
}

}  // namespace gw::posix
