// Listening Unix stream sockets.
#include "platform/posix/unix_listener.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

namespace gw::posix {

ResultCode listenUnixSocket(const std::string& path, int backlog, UniqueFd* fd) {
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof addr.sun_path) return RC_BAD_VALUE;
  std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0) {
    if (!S_ISSOCK(st.st_mode)) return RC_NOT_AVAILABLE;
    ::unlink(path.c_str());
  }
  UniqueFd sock(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  if (!sock.valid()) return RC_NOT_AVAILABLE;
  if (::bind(sock.get(), reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0 ||
      ::listen(sock.get(), backlog) != 0) {
    return RC_NOT_AVAILABLE;
  }
  *fd = std::move(sock);
  return RC_OK;
}

}  // namespace gw::posix
