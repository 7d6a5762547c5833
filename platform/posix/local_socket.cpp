// Unix stream sockets at a path: listening, accepting, connecting.
#include "platform/local_socket.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

#include "platform/posix/errno_result.h"
#include "platform/posix/fd_stream.h"
#include "platform/posix/unix_listener.h"

namespace gw {
namespace {

bool socketAddress(const std::string& path, sockaddr_un* addr) {
  *addr = sockaddr_un{};
  addr->sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof addr->sun_path) return false;
  std::memcpy(addr->sun_path, path.c_str(), path.size() + 1);
  return true;
}

class UnixListener final : public LocalListener {
 public:
  UnixListener(posix::UniqueFd fd, std::string path) : fd_(std::move(fd)), path_(std::move(path)) {}
  ~UnixListener() override { ::unlink(path_.c_str()); }

  intptr_t pollHandle() const override { return fd_.get(); }
  const std::string& path() const override { return path_; }

  ResultCode accept(std::unique_ptr<NonBlockingStream>* stream) override {
    int fd = posix::retryEintr(
        [&] { return ::accept4(fd_.get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK); });
    if (fd < 0) return RC_TIMEOUT;  // nothing waiting, or the peer gave up meanwhile
    *stream = std::make_unique<posix::FdStream>(posix::UniqueFd(fd), posix::FdStream::Kind::kSocket);
    return RC_OK;
  }

 private:
  posix::UniqueFd fd_;
  std::string path_;
};

}  // namespace

namespace posix {

ResultCode listenUnixSocket(const std::string& path, int backlog, UniqueFd* fd) {
  sockaddr_un addr{};
  if (!socketAddress(path, &addr)) return RC_BAD_VALUE;
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

}  // namespace posix

ResultCode listenLocal(const std::string& path, int backlog,
                       std::unique_ptr<LocalListener>* listener, bool every_local_user) {
  posix::UniqueFd sock;
  ResultCode rc = posix::listenUnixSocket(path, backlog, &sock);
  if (rc != RC_OK) return rc;
  // Connecting takes write permission on the socket file. Until the mode is set only this
  // user can connect, which a peer that tries again gets past.
  if (every_local_user && ::chmod(path.c_str(), 0666) != 0) {
    ::unlink(path.c_str());
    return RC_NOT_AVAILABLE;
  }
  *listener = std::make_unique<UnixListener>(std::move(sock), path);
  return RC_OK;
}

ResultCode connectLocal(const std::string& path, std::unique_ptr<NonBlockingStream>* stream) {
  sockaddr_un addr{};
  if (!socketAddress(path, &addr)) return RC_BAD_VALUE;
  posix::UniqueFd sock(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  if (!sock.valid()) return RC_NOT_AVAILABLE;
  // A local connect completes at once or fails; it never stays in progress.
  if (posix::retryEintr([&] {
        return ::connect(sock.get(), reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
      }) != 0) {
    return RC_NOT_AVAILABLE;
  }
  *stream = std::make_unique<posix::FdStream>(std::move(sock), posix::FdStream::Kind::kSocket);
  return RC_OK;
}

ResultCode localPeerUserId(const NonBlockingStream& stream, uint32_t* uid) {
  const int fd = static_cast<int>(stream.pollHandle());
#ifdef SO_PEERCRED
  ucred cred{};
  socklen_t len = sizeof cred;
  if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0 || len != sizeof cred) {
    return posix::resultFromErrno(errno);
  }
  *uid = static_cast<uint32_t>(cred.uid);
#else
  uid_t peer = 0;
  gid_t group = 0;
  if (::getpeereid(fd, &peer, &group) != 0) return posix::resultFromErrno(errno);
  *uid = static_cast<uint32_t>(peer);
#endif
  return RC_OK;
}

uint32_t currentUserId() { return static_cast<uint32_t>(::geteuid()); }

}  // namespace gw
