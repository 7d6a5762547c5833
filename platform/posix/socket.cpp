// POSIX back-end of the TCP sockets and the readiness set: non-blocking sockets and poll(2).
#include "platform/socket.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>

#include "platform/posix/errno_result.h"
#include "platform/posix/unique_fd.h"

namespace gw {
namespace {

using posix::retryEintr;
using posix::UniqueFd;

ResultCode setupResult(int err) { return posix::resultFromErrno(err); }

sockaddr_in makeAddress(Ipv4Address address, uint16_t port) {
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(port);
  sa.sin_addr.s_addr = htonl(address);
  return sa;
}

UniqueFd newStreamSocket() {
  return UniqueFd(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
}

ResultCode waitFd(int fd, short events, int timeout_ms) {
  pollfd p{fd, events, 0};
  int n = retryEintr([&] { return ::poll(&p, 1, timeout_ms); });
  if (n < 0) return RC_SOCKET_ERROR;
  if (n == 0) return RC_TIMEOUT;
  if ((p.revents & events) != 0) return RC_OK;
  // Hang-up with nothing to read still lets receive report the end of stream.
  if ((p.revents & POLLHUP) != 0 && (events & POLLIN) != 0) return RC_OK;
  return RC_SOCKET_ERROR;
}

class PosixTcpStream : public TcpStream {
 public:
  PosixTcpStream(UniqueFd fd, const sockaddr_in& peer) : fd_(std::move(fd)), peer_(peer) {
    int one = 1;
    // Replies are small and each is the end of an exchange: do not hold them back.
    (void)::setsockopt(fd_.get(), IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);  // best effort
  }

  intptr_t pollHandle() const override { return fd_.get(); }

  ResultCode receive(char* buffer, size_t capacity, size_t* received) override {
    ssize_t n = retryEintr([&] { return ::recv(fd_.get(), buffer, capacity, 0); });
    if (n > 0) {
      *received = static_cast<size_t>(n);
      return RC_OK;
    }
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return RC_TIMEOUT;
    return RC_SOCKET_ERROR;
  }

  ResultCode send(const char* data, size_t size, size_t* sent) override {
    if (size == 0) {
      *sent = 0;
      return RC_OK;
    }
    ssize_t n = retryEintr([&] { return ::send(fd_.get(), data, size, MSG_NOSIGNAL); });
    if (n >= 0) {
      *sent = static_cast<size_t>(n);
      return RC_OK;
    }
    if (errno == EAGAIN || errno == EWOULDBLOCK) {
      *sent = 0;
      return RC_OK;
    }
    return RC_SOCKET_ERROR;
  }

  ResultCode waitReady(bool for_write, int timeout_ms) override {
    return waitFd(fd_.get(), for_write ? POLLOUT : POLLIN, timeout_ms);
  }

  void shutdownSend() override { (void)::shutdown(fd_.get(), SHUT_WR); }  // closing anyway

  Ipv4Address peerAddress() const override { return ntohl(peer_.sin_addr.s_addr); }
  uint16_t peerPort() const override { return ntohs(peer_.sin_port); }
  Ipv4Address localAddress() const override {
    sockaddr_in sa{};
    socklen_t len = sizeof sa;
    if (::getsockname(fd_.get(), reinterpret_cast<sockaddr*>(&sa), &len) != 0) return 0;
    return ntohl(sa.sin_addr.s_addr);
  }

 private:
  UniqueFd fd_;
  sockaddr_in peer_;
};

class PosixTcpListener : public TcpListener {
 public:
  PosixTcpListener(UniqueFd fd, const sockaddr_in& bound) : fd_(std::move(fd)), bound_(bound) {}

  intptr_t pollHandle() const override { return fd_.get(); }

  ResultCode accept(std::unique_ptr<TcpStream>* stream) override {
    sockaddr_in peer{};
    socklen_t len = sizeof peer;
    int fd = retryEintr([&] {
      return ::accept4(fd_.get(), reinterpret_cast<sockaddr*>(&peer), &len,
                       SOCK_NONBLOCK | SOCK_CLOEXEC);
    });
    if (fd < 0) {
      // A peer that gave up before we took it is not the listener's fault.
      if (errno == EAGAIN || errno == EWOULDBLOCK || errno == ECONNABORTED) return RC_TIMEOUT;
      return setupResult(errno);
    }
    *stream = std::make_unique<PosixTcpStream>(UniqueFd(fd), peer);
    return RC_OK;
  }

  Ipv4Address localAddress() const override { return ntohl(bound_.sin_addr.s_addr); }
  uint16_t localPort() const override { return ntohs(bound_.sin_port); }

 private:
  UniqueFd fd_;
  sockaddr_in bound_;
};

class PosixPollSet : public PollSet {
 public:
  void clear() override { fds_.clear(); }

  size_t addHandle(intptr_t handle, bool want_read, bool want_write) override {
    short events = 0;
    if (want_read) events |= POLLIN;
    if (want_write) events |= POLLOUT;
    fds_.push_back(pollfd{static_cast<int>(handle), events, 0});
    return fds_.size() - 1;
  }

  ResultCode wait(int timeout_ms) override {
    for (pollfd& p : fds_) p.revents = 0;
    int n = retryEintr([&] { return ::poll(fds_.data(), fds_.size(), timeout_ms); });
    if (n < 0) return setupResult(errno);
    return n == 0 ? RC_TIMEOUT : RC_OK;
  }

  bool readable(size_t slot) const override {
    // A hang-up is reported as readable too, so that the next receive sees the end of stream.
    return slot < fds_.size() && (fds_[slot].revents & (POLLIN | POLLHUP)) != 0;
  }
  bool writable(size_t slot) const override {
    return slot < fds_.size() && (fds_[slot].revents & POLLOUT) != 0;
  }
  bool broken(size_t slot) const override {
    return slot < fds_.size() && (fds_[slot].revents & (POLLERR | POLLHUP | POLLNVAL)) != 0;
  }

 private:
  std::vector<pollfd> fds_;
};

}  // namespace

std::string formatIpv4(Ipv4Address address) {
  char text[16];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", (address >> 24) & 0xFFu, (address >> 16) & 0xFFu,
                (address >> 8) & 0xFFu, address & 0xFFu);
  return text;
}

bool parseIpv4(std::string_view text, Ipv4Address* address) {
  Ipv4Address value = 0;
  size_t pos = 0;
  for (int part = 0; part < 4; ++part) {
    if (part > 0) {
      if (pos >= text.size() || text[pos] != '.') return false;
      ++pos;
    }
    size_t start = pos;
    unsigned number = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && pos - start < 3) {
      number = number * 10 + static_cast<unsigned>(text[pos] - '0');
      ++pos;
    }
    if (pos == start || number > 255) return false;
    value = (value << 8) | number;
  }
  if (pos != text.size()) return false;
  *address = value;
  return true;
}

bool parseHostAddress(std::string_view host, Ipv4Address* address) {
  if (host == "localhost") {
    *address = kLoopbackAddress;
    return true;
  }
  return parseIpv4(host, address);
}

ResultCode listenTcp(Ipv4Address address, uint16_t port, std::unique_ptr<TcpListener>* listener) {
  UniqueFd fd = newStreamSocket();
  if (!fd.valid()) return setupResult(errno);
  int one = 1;
  if (::setsockopt(fd.get(), SOL_SOCKET, SO_REUSEADDR, &one, sizeof one) != 0) {
    return setupResult(errno);
  }
  sockaddr_in sa = makeAddress(address, port);
  if (::bind(fd.get(), reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) return setupResult(errno);
  if (::listen(fd.get(), SOMAXCONN) != 0) return setupResult(errno);
  sockaddr_in bound{};
  socklen_t len = sizeof bound;
  if (::getsockname(fd.get(), reinterpret_cast<sockaddr*>(&bound), &len) != 0) {
    return setupResult(errno);
  }
  *listener = std::make_unique<PosixTcpListener>(std::move(fd), bound);
  return RC_OK;
}

ResultCode connectTcp(Ipv4Address address, uint16_t port, Ipv4Address source, int timeout_ms,
                      std::unique_ptr<TcpStream>* stream) {
  UniqueFd fd = newStreamSocket();
  if (!fd.valid()) return setupResult(errno);
  if (source != kAnyAddress) {
    sockaddr_in local = makeAddress(source, 0);
    if (::bind(fd.get(), reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
      return setupResult(errno);
    }
  }
  sockaddr_in sa = makeAddress(address, port);
  int r =
      retryEintr([&] { return ::connect(fd.get(), reinterpret_cast<sockaddr*>(&sa), sizeof sa); });
  if (r != 0) {
    if (errno != EINPROGRESS) return RC_SOCKET_ERROR;
    ResultCode waited = waitFd(fd.get(), POLLOUT, timeout_ms);
    if (waited == RC_TIMEOUT) return RC_TIMEOUT;
    int err = 0;
    socklen_t len = sizeof err;
    if (::getsockopt(fd.get(), SOL_SOCKET, SO_ERROR, &err, &len) != 0 || err != 0) {
      return RC_SOCKET_ERROR;
    }
  }
  *stream = std::make_unique<PosixTcpStream>(std::move(fd), sa);
  return RC_OK;
}

ResultCode localInterfaceAddresses(std::vector<Ipv4Address>* addresses) {
  ifaddrs* list = nullptr;
  if (::getifaddrs(&list) != 0) return setupResult(errno);
  std::vector<Ipv4Address> found;
  for (ifaddrs* it = list; it != nullptr; it = it->ifa_next) {
    if (it->ifa_addr == nullptr || it->ifa_addr->sa_family != AF_INET) continue;
    const auto* sa = reinterpret_cast<const sockaddr_in*>(it->ifa_addr);
    found.push_back(ntohl(sa->sin_addr.s_addr));
  }
  ::freeifaddrs(list);
  *addresses = std::move(found);
  return RC_OK;
}

std::unique_ptr<PollSet> createPollSet() { return std::make_unique<PosixPollSet>(); }

ResultCode sendAll(TcpStream& stream, std::string_view data, int timeout_ms) {
  size_t done = 0;
  while (done < data.size()) {
    size_t sent = 0;
    ResultCode rc = stream.send(data.data() + done, data.size() - done, &sent);
    if (rc != RC_OK) return rc;
    done += sent;
    if (done < data.size() && sent == 0) {
      rc = stream.waitReady(true, timeout_ms);
      if (rc != RC_OK) return rc;
    }
  }
  return RC_OK;
}

ResultCode receiveUntil(TcpStream& stream, char terminator, int timeout_ms, std::string* text) {
  char buffer[4096];
  for (;;) {
    size_t got = 0;
    ResultCode rc = stream.receive(buffer, sizeof buffer, &got);
    if (rc == RC_OK) {
      text->append(buffer, got);
      if (std::string_view(buffer, got).find(terminator) != std::string_view::npos) return RC_OK;
      continue;
    }
    if (rc != RC_TIMEOUT) return rc;
    rc = stream.waitReady(false, timeout_ms);
    if (rc != RC_OK) return rc;
  }
}

}  // namespace gw
