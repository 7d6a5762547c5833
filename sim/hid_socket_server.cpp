// Accepting hosts, answering their report requests and fanning out input reports.
#include "sim/hid_socket_server.h"

#include <algorithm>

#include "platform/hid_socket_frame.h"

namespace gw {
namespace {

int pollFd(intptr_t handle) { return static_cast<int>(handle); }

}  // namespace

ResultCode HidSocketServer::create(SimHidUps& device, const std::string& path,
                                   std::unique_ptr<HidSocketServer>* server) {
  std::unique_ptr<LocalListener> listener;
  ResultCode rc = listenLocal(path, 8, &listener);
  if (rc != RC_OK) return rc;
  server->reset(new HidSocketServer(device, std::move(listener)));
  return RC_OK;
}

void HidSocketServer::addPollFds(std::vector<pollfd>* fds) const {
  fds->push_back({pollFd(listener_->pollHandle()), POLLIN, 0});
  for (const auto& host : hosts_) {
    short events = POLLIN;
    if (!host->out.empty()) events |= POLLOUT;
    fds->push_back({pollFd(host->stream->pollHandle()), events, 0});
  }
}

void HidSocketServer::handle(const std::vector<pollfd>& fds) {
  for (const pollfd& p : fds) {
    if (p.revents == 0) continue;
    if (p.fd == pollFd(listener_->pollHandle())) {
      accept();
      continue;
    }
    for (auto& host : hosts_) {
      if (pollFd(host->stream->pollHandle()) != p.fd || host->closed) continue;
      if (p.revents & (POLLIN | POLLHUP | POLLERR)) serve(*host);
      if (!host->closed) flush(*host);
    }
  }
  broadcastInput();
  removeClosed();
}

void HidSocketServer::accept() {
  auto host = std::make_unique<Host>();
  if (listener_->accept(&host->stream) != RC_OK) return;
  if (!device_.plugged()) return;  // the connection closes: nothing is plugged in
  hosts_.push_back(std::move(host));
}

void HidSocketServer::answer(Host& host, uint8_t type, const std::string& payload) {
  if (!appendHidFrame(&host.out, type, payload.data(), payload.size())) {
    host.closed = true;
  }
}

void HidSocketServer::serve(Host& host) {
  char buf[4096];
  for (;;) {
    size_t got = 0;
    ResultCode rc = host.stream->receive(buf, sizeof buf, &got);
    if (rc == RC_TIMEOUT) break;  // all taken
    if (rc != RC_OK) {
      host.closed = true;  // what arrived before still gets its replies
      break;
    }
    host.in.append(buf, got);
  }
  HidFrame frame;
  for (;;) {
    HidFrameTake took = takeHidFrame(&host.in, &frame);
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
      case kHidAskIds: {
        const uint16_t v = device_.vendorId(), p = device_.productId();
        reply = {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8),
                 static_cast<char>(p & 0xFF), static_cast<char>(p >> 8)};
        type = kHidIds;
        break;
      }
      case kHidAskDescriptor: {
        const std::vector<uint8_t>& d = device_.descriptor();
        reply.assign(d.begin(), d.end());
        type = kHidDescriptor;
        break;
      }
      case kHidAskFeature: {
        std::vector<uint8_t> report;
        rc = size == 1 ? device_.getFeature(data[0], &report) : RC_BAD_VALUE;
        reply.assign(report.begin(), report.end());
        type = kHidFeature;
        break;
      }
      case kHidSetFeature:
        rc = device_.setFeature(data, size);
        type = kHidFeatureSet;
        break;
      case kHidOutput:
        rc = device_.output(data, size);
        type = kHidOutputTaken;
        break;
      default:
        continue;  // not a request: skipped
    }
    if (rc != RC_OK) {
      answer(host, kHidRefused, std::string(1, static_cast<char>(rc)));
    } else {
      answer(host, type, reply);
    }
  }
}

void HidSocketServer::broadcastInput() {
  std::vector<uint8_t> report;
  while (device_.takeInput(&report)) {
    for (auto& host : hosts_) {
      if (!host->closed && !appendHidFrame(&host->out, kHidInput, report.data(),
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
    size_t sent = 0;
    ResultCode rc = host.stream->send(host.out.data(), host.out.size(), &sent);
    if (rc == RC_OK) {
      host.out.erase(0, sent);
      continue;
    }
    if (rc == RC_TIMEOUT) break;
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
