// Line protocol over the control socket.
#include "sim/control_server.h"

#include <algorithm>

namespace gw {
namespace {

int pollFd(intptr_t handle) { return static_cast<int>(handle); }

}  // namespace

ResultCode ControlServer::create(const std::string& path, Handler handler,
                                 std::unique_ptr<ControlServer>* server) {
  std::unique_ptr<LocalListener> listener;
  ResultCode rc = listenLocal(path, 16, &listener);
  if (rc != RC_OK) return rc;
  server->reset(new ControlServer(std::move(listener), std::move(handler)));
  return RC_OK;
}

void ControlServer::addPollFds(std::vector<pollfd>* fds) const {
  fds->push_back({pollFd(listener_->pollHandle()), POLLIN, 0});
  for (const auto& c : clients_) {
    short events = POLLIN;
    if (!c->out.empty()) events |= POLLOUT;
    fds->push_back({pollFd(c->stream->pollHandle()), events, 0});
  }
}

void ControlServer::flush(Client& c) {
  while (!c.out.empty()) {
    size_t sent = 0;
    ResultCode rc = c.stream->send(c.out.data(), c.out.size(), &sent);
    if (rc == RC_OK) {
      c.out.erase(0, sent);
      continue;
    }
    if (rc == RC_TIMEOUT) break;
    c.closed = true;
    return;
  }
  if (c.out.size() > kMaxOutput) c.closed = true;
}

void ControlServer::serve(Client& c) {
  char buf[1024];
  size_t n = 0;
  ResultCode rc = c.stream->receive(buf, sizeof buf, &n);
  if (rc == RC_TIMEOUT) return;
  if (rc != RC_OK) {
    c.closed = true;
    return;
  }
  c.in.append(buf, n);
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
  const int listener = pollFd(listener_->pollHandle());
  auto it = std::find_if(fds.begin(), fds.end(), [&](const pollfd& p) { return p.fd == listener; });
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
    auto c = std::make_unique<Client>();
    if (listener_->accept(&c->stream) == RC_OK) clients_.push_back(std::move(c));
  }
  clients_.erase(std::remove_if(clients_.begin(), clients_.end(),
                                [](const std::unique_ptr<Client>& c) { return c->closed; }),
                 clients_.end());
}

}  // namespace gw
