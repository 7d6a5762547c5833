// Accepting, polling and serving client connections inside the service's main loop.
#include "service/server/client_server.h"

#include <algorithm>
#include <climits>

#include "protocol/wire_reply.h"

namespace gw {

ResultCode ClientServer::create(ClientServerContext context,
                                std::unique_ptr<ClientServer>* server) {
  std::unique_ptr<TcpListener> listener;
  ResultCode rc = listenTcp(context.bind_address, context.port, &listener);
  if (rc != RC_OK) return rc;
  std::vector<Ipv4Address> own;
  if (listener->localAddress() != kAnyAddress) {
    own.push_back(listener->localAddress());
  } else if (localInterfaceAddresses(&own) != RC_OK) {
    // Without the interface list only the loopback address counts as this host.
    own.clear();
  }
  auto access = std::make_unique<AccessControl>(context.data_dir);
  server->reset(
      new ClientServer(std::move(context), std::move(access), std::move(listener), std::move(own)));
  return RC_OK;
}

ClientServer::ClientServer(ClientServerContext context, std::unique_ptr<AccessControl> access,
                           std::unique_ptr<TcpListener> listener,
                           std::vector<Ipv4Address> own_addresses)
    : context_(std::move(context)),
      access_(std::move(access)),
      listener_(std::move(listener)),
      own_addresses_(std::move(own_addresses)),
      dispatcher_(std::make_unique<RequestDispatcher>(
          context_.clock, context_.device, context_.settings, context_.policies, context_.events,
          context_.logs, context_.schedule, *access_)),
      poll_(createPollSet()) {}

ClientServer::~ClientServer() { connections_.clear(); }

bool ClientServer::isLocal(Ipv4Address peer) const {
  if (peer == kLoopbackAddress) return true;
  return std::find(own_addresses_.begin(), own_addresses_.end(), peer) != own_addresses_.end();
}

int ClientServer::waitTimeout(uint32_t timeout_ms, int64_t now_ms) const {
  int64_t wait = std::min<int64_t>(timeout_ms, INT_MAX);
  for (const auto& connection : connections_) {
    if (connection->queuedBytes() == 0) continue;
    int64_t left = connection->lastSendProgressMs() + kSendStallMs - now_ms;
    wait = std::min(wait, std::max<int64_t>(left, 0));
  }
  return static_cast<int>(wait);
}

ResultCode ClientServer::pollClients(uint32_t timeout_ms, PollParticipant* also) {
  int64_t now = context_.clock.monotonicMs();
  poll_->clear();
  poll_->add(*listener_, true, false);
  DriverChannel& channel = context_.device.channel();
  const PollableSocket* driver = channel.replyWatch();
  const size_t driver_slot = driver ? poll_->add(*driver, true, false) : SIZE_MAX;
  std::vector<size_t> slots(connections_.size(), SIZE_MAX);
  for (size_t i = 0; i < connections_.size(); ++i) {
    ClientConnection& c = *connections_[i];
    if (c.wantsRead() || c.wantsWrite()) {
      slots[i] = poll_->add(c.stream(), c.wantsRead(), c.wantsWrite());
    }
  }
  if (also) also->addTo(*poll_);
  ResultCode rc = poll_->wait(waitTimeout(timeout_ms, now));
  now = context_.clock.monotonicMs();
  if (rc == RC_TIMEOUT) {
    removeFinished(now);
    return RC_OK;
  }
  if (rc != RC_OK) return rc;
  if (also) also->serveReady(*poll_);

  size_t watched = connections_.size();
  // Driver replies first: they complete connections' requests before those are looked at.
  if (driver_slot != SIZE_MAX && (poll_->readable(driver_slot) || poll_->broken(driver_slot))) {
    channel.onReadable();
  }
  if (poll_->readable(0)) acceptWaiting();
  for (size_t i = 0; i < watched; ++i) {
    if (slots[i] == SIZE_MAX) continue;
    ClientConnection& c = *connections_[i];
    if (poll_->writable(slots[i])) c.flush(now);
    if (poll_->readable(slots[i]) && c.wantsRead()) {
      serve(c, now);
    } else if (poll_->broken(slots[i])) {
      // Not read from now, so nothing else would notice: without this the error would wake
      // every pass until the send stall ran out.
      c.markClosing();
    }
  }
  removeFinished(now);
  return RC_OK;
}

void ClientServer::acceptWaiting() {
  for (int i = 0; i < kAcceptsPerPass; ++i) {
    std::unique_ptr<TcpStream> stream;
    if (listener_->accept(&stream) != RC_OK) return;
    // Past the cap the peer is closed at once rather than left unserved in the backlog.
    if (connections_.size() >= kMaxConnections) continue;
    connections_.push_back(std::make_unique<ClientConnection>(std::move(stream)));
  }
}

void ClientServer::serve(ClientConnection& connection, int64_t now_ms) {
  // The rules are asked on every readable event, so a remote peer is never served past them.
  if (!isLocal(connection.peerAddress())) {
    switch (access_->evaluateRules(connection.peerAddress())) {
      case RULE_ALLOW:
        break;
      case RULE_DENY:
        connection.queueReply(errorReply(RC_REFUSED) + "\r", now_ms);
        connection.finishAfterReplies();
        return;
      case RULE_NONE:
      case RULE_DROP:
        connection.markClosing();
        return;
    }
  }
  std::string request;
  if (connection.receiveRequest(&request) != RC_OK) return;
  runDeferred(connection, std::make_shared<DeferredDeviceCall>(std::move(request)));
}

void ClientServer::runDeferred(ClientConnection& connection,
                               std::shared_ptr<DeferredDeviceCall> call) {
  std::string reply = dispatcher_->dispatch(call->request(), connection.login(), call->beginRun());
  if (call->needed().empty()) {
    connection.setAwaitingDevice(false);
    reply.push_back('\r');
    connection.queueReply(reply, context_.clock.monotonicMs());
    return;
  }
  connection.setAwaitingDevice(true);
  std::vector<DriverChannel::Request> requests;
  requests.push_back({call->needed(), [this, call, life = connection.lifeToken()](
                                          ResultCode rc, const std::string& line) {
                        std::shared_ptr<ClientConnection*> alive = life.lock();
                        if (!alive) return;  // closed meanwhile: nobody to answer
                        call->answer(rc, line);
                        runDeferred(**alive, call);
                      }});
  context_.device.channel().submit(std::move(requests));
}

void ClientServer::removeFinished(int64_t now_ms) {
  bool removed = false;
  for (auto& connection : connections_) {
    if (!connection->closing() && connection->queuedBytes() > 0 &&
        now_ms - connection->lastSendProgressMs() > kSendStallMs) {
      connection->markClosing();
    }
    if (connection->finished()) {
      if (!connection->closing()) connection->drainBeforeClose();
      connection.reset();
      removed = true;
    }
  }
  if (!removed) return;
  connections_.erase(std::remove(connections_.begin(), connections_.end(), nullptr),
                     connections_.end());
}

}  // namespace gw
