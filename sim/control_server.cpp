// Line protocol over the control socket.
#include "sim/control_server.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "platform/posix/errno_result.h"
#include "platform/posix/unix_listener.h"

namespace gw {

ResultCode ControlServer::create(const std::string& path, Handler handler,
                                 std::unique_ptr<ControlServer>* server) {
  posix::UniqueFd fd;
  ResultCode rc = posix::listenUnixSocket(path, 16, &fd);
  if (rc != RC_OK) return rc;
  server->reset(new ControlServer(std::move(fd), path, std::move(handler)));
  return RC_OK;
}

ControlServer::~ControlServer() { ::unlink(path_.c_str()); }

void ControlServer::addPollFds(std::vector<pollfd>* fds) const {
  fds->push_back({listener_.get(), POLLIN, 0});
  for (const auto& c : clients_) {
    short events = POLLIN;
    if (!c->out.empty()) events |= POLLOUT;
    fds->push_back({c->fd.get(), events, 0});
  }
}

void ControlServer::flush(Client& c) {
  while (!c.out.empty()) {
    ssize_t n = posix::retryEintr(
        [&] { return ::send(c.fd.get(), c.out.data(), c.out.size(), MSG_NOSIGNAL); });
    if (n > 0) {
      c.out.erase(0, static_cast<size_t>(n));
      continue;
    }
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
    c.closed = true;
    return;
  }
  if (c.out.size() > kMaxOutput) c.closed = true;
}

void ControlServer::serve(Client& c) {
  char buf[1024];
  ssize_t n = posix::retryEintr([&] { return ::recv(c.fd.get(), buf, sizeof buf, 0); });
  if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)) {
    c.closed = true;
    return;
  }
  if (n < 0) return;
  c.in.append(buf, static_cast<size_t>(n));
  size_t nl;
  while ((nl = c.in.find('\n')) != std::string::npos) {
    std::string line = c.in.substr(0, nl);
    c.in.erase(0, nl + 1);
    c.out += handler_(line) + "\n";
  }
  if (c.in.size() > kMaxLine) {
    c.in.clear();
    c.out += "ERR line too long\n";
  }
  flush(c);
}

void ControlServer::handle(const std::vector<pollfd>& fds) {
  // The entries added by addPollFds, in the same order: the listener, then each client.
  auto it = std::find_if(fds.begin(), fds.end(),
                         [&](const pollfd& p) { return p.fd == listener_.get(); });
  if (it == fds.end()) return;
  size_t base = static_cast<size_t>(it - fds.begin());
  size_t known = clients_.size();
  for (size_t i = 0; i < known && base + 1 + i < fds.size(); ++i) {
    Client& c = *clients_[i];
    short re = fds[base + 1 + i].revents;
    if (re & (POLLIN | POLLHUP | POLLERR)) serve(c);
    if (!c.closed && (re & POLLOUT)) flush(c);
  }
  if (fds[base].revents & POLLIN) {
    int fd = posix::retryEintr([&] {
      return ::accept4(listener_.get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    });
    if (fd >= 0) {
      auto c = std::make_unique<Client>();
      c->fd.reset(fd);
      clients_.push_back(std::move(c));
    }
  }
  clients_.erase(std::remove_if(clients_.begin(), clients_.end(),
                                [](const std::unique_ptr<Client>& c) { return c->closed; }),
                 clients_.end());
}

}  // namespace gw
