// Connecting to and draining Unix stream sockets.
#include "platform/posix/unix_stream.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <cstring>

#include "platform/posix/errno_result.h"

namespace gw::posix {

ResultCode connectUnixSocket(const std::string& path, UniqueFd* fd) {
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof addr.sun_path) return RC_NOT_AVAILABLE;
  std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
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
