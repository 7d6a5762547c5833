// Accepting hosts, answering their report requests and fanning out input reports.
#include "sim/hid_socket_server.h"

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>

#include "platform/posix/errno_result.h"
#include "platform/posix/hid_socket_frame.h"
#include "platform/posix/unix_listener.h"
#include "platform/posix/unix_stream.h"

namespace gw {

using posix::HidFrame;
using posix::HidFrameTake;

ResultCode HidSocketServer::create(SimHidUps& device, const std::string& path,
                                   std::unique_ptr<HidSocketServer>* server) {
  posix::UniqueFd fd;
  ResultCode rc = posix::listenUnixSocket(path, 8, &fd);
  if (rc != RC_OK) return rc;
  server->reset(new HidSocketServer(device, std::move(fd), path));
  return RC_OK;
}

HidSocketServer::~HidSocketServer() { ::unlink(path_.c_str()); }

void HidSocketServer::addPollFds(std::vector<pollfd>* fds) const {
  fds->push_back({listener_.get(), POLLIN, 0});
  for (const auto& host : hosts_) {
    short events = POLLIN;
    if (!host->out.empty()) events |= POLLOUT;
    fds->push_back({host->fd.get(), events, 0});
  }
}

void HidSocketServer::handle(const std::vector<pollfd>& fds) {
  for (const pollfd& p : fds) {
    if (p.revents == 0) continue;
    if (p.fd == listener_.get()) {
      accept();
      continue;
    }
    for (auto& host : hosts_) {
      if (host->fd.get() != p.fd || host->closed) continue;
      if (p.revents & (POLLIN | POLLHUP | POLLERR)) serve(*host);
      if (!host->closed) flush(*host);
    }
  }
  broadcastInput();
  removeClosed();
}

void HidSocketServer::accept() {
  int fd = posix::retryEintr(
      [&] { return ::accept4(listener_.get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK); });
  if (fd < 0) return;
  auto host = std::make_unique<Host>();
  host->fd.reset(fd);
  if (!device_.plugged()) return;  // the descriptor closes: nothing is plugged in
  hosts_.push_back(std::move(host));
}

void HidSocketServer::answer(Host& host, uint8_t type, const std::string& payload) {
  if (!posix::appendHidFrame(&host.out, type, payload.data(), payload.size())) {
    host.closed = true;
  }
}

void HidSocketServer::serve(Host& host) {
  if (!posix::receiveWaiting(host.fd.get(), 0, &host.in)) host.closed = true;
  HidFrame frame;
  for (;;) {
    HidFrameTake took = posix::takeHidFrame(&host.in, &frame);
    if (took == HidFrameTake::kNeedMore) break;
    if (took == HidFrameTake::kMalformed) {
      host.closed = true;
      break;
    }
    const auto* data = reinterpret_cast<const uint8_t*>(frame.payload.data());
    const size_t size = frame.payload.size();
    ResultCode rc = RC_OK;
    std::string reply;
    uint8_t type = 0;
    switch (frame.type) {
      case posix::kHidAskIds: {
        const uint16_t v = device_.vendorId(), p = device_.productId();
        reply = {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8),
                 static_cast<char>(p & 0xFF), static_cast<char>(p >> 8)};
        type = posix::kHidIds;
        break;
      }
      case posix::kHidAskDescriptor: {
        const std::vector<uint8_t>& d = device_.descriptor();
        reply.assign(d.begin(), d.end());
        type = posix::kHidDescriptor;
        break;
      }
      case posix::kHidAskFeature: {
        std::vector<uint8_t> report;
        rc = size == 1 ? device_.getFeature(data[0], &report) : RC_BAD_VALUE;
        reply.assign(report.begin(), report.end());
        type = posix::kHidFeature;
        break;
      }
      case posix::kHidSetFeature:
        rc = device_.setFeature(data, size);
        type = posix::kHidFeatureSet;
        break;
      case posix::kHidOutput:
        rc = device_.output(data, size);
        type = posix::kHidOutputTaken;
        break;
      default:
        continue;  // not a request: skipped
    }
    if (rc != RC_OK) {
      answer(host, posix::kHidRefused, std::string(1, static_cast<char>(rc)));
    } else {
      answer(host, type, reply);
    }
  }
}

void HidSocketServer::broadcastInput() {
  std::vector<uint8_t> report;
  while (device_.takeInput(&report)) {
    for (auto& host : hosts_) {
      if (!host->closed && !posix::appendHidFrame(&host->out, posix::kHidInput, report.data(),
                                                  report.size())) {
        host->closed = true;
      }
    }
  }
  for (auto& host : hosts_) {
    if (!host->closed) flush(*host);
  }
}

void HidSocketServer::flush(Host& host) {
  while (!host.out.empty()) {
    ssize_t n = posix::retryEintr([&] {
      return ::send(host.fd.get(), host.out.data(), host.out.size(), MSG_NOSIGNAL);
    });
    if (n > 0) {
      host.out.erase(0, static_cast<size_t>(n));
      continue;
    }
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
    host.closed = true;
    return;
  }
  // A host that stopped reading is dropped rather than buffered without end.
  if (host.out.size() > kMaxOutput) host.closed = true;
}

void HidSocketServer::removeClosed() {
  hosts_.erase(std::remove_if(hosts_.begin(), hosts_.end(),
                              [](const std::unique_ptr<Host>& h) { return h->closed; }),
               hosts_.end());
}

void HidSocketServer::tick() {
  device_.tick();
  if (!device_.plugged()) {
    hosts_.clear();  // unplugged: every host sees its device go away
    std::vector<uint8_t> report;
    while (device_.takeInput(&report)) {
    }
    return;
  }
  broadcastInput();
  removeClosed();
}

}  // namespace gw
