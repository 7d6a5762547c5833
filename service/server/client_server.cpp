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
  auto until = [&](int64_t deadline) {
    wait = std::min(wait, std::max<int64_t>(deadline - now_ms, 0));
  };
  for (const auto& connection : connections_) {
    if (connection->heldUntilMs() != 0) until(connection->heldUntilMs());
    if (connection->draining()) {
      until(connection->drainUntilMs());
    } else if (connection->queuedBytes() != 0) {
      until(connection->lastSendProgressMs() + kSendStallMs);
    } else if (connection->wantsRead()) {
      until(connection->lastRequestMs() + kIdleLimitMs);
    }
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
  // Only ends the wait: the caller reads the stop flag after the pass.
  if (context_.stop_wake) (void)poll_->add(*context_.stop_wake, true, false);
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
  for (auto& connection : connections_) connection->releaseHeld(now);
  if (rc == RC_TIMEOUT) {
    removeFinished(now);
    return RC_OK;
  }
  if (rc != RC_OK) return rc;
  if (also) also->serveReady(*poll_);

  // The device requests of this pass go to the driver in one write at its end, so that the
  // driver wakes once for all the connections that asked, not once per connection.
  batch_open_ = true;
  size_t watched = connections_.size();
  // Driver replies first: they complete connections' requests before those are looked at.
  if (driver_slot != SIZE_MAX && (poll_->readable(driver_slot) || poll_->broken(driver_slot))) {
    channel.onReadable();
  }
  if (poll_->readable(0)) acceptWaiting(now);
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
  submitBatch();
  removeFinished(now);
  return RC_OK;
}

void ClientServer::submitBatch() {
  batch_open_ = false;
  if (batch_.empty()) return;
  std::vector<DriverChannel::Request> requests;
  requests.swap(batch_);
  // A failed channel answers at once; those answers' next requests then go out directly.
  context_.device.channel().submit(std::move(requests));
}

void ClientServer::acceptWaiting(int64_t now_ms) {
  size_t served = 0;
  size_t remote = 0;
  size_t refusals = 0;
  for (const auto& connection : connections_) {
    if (connection->refusal()) {
      ++refusals;
      continue;
    }
    ++served;
    if (!isLocal(connection->peerAddress())) ++remote;
  }
  for (int i = 0; i < kAcceptsPerPass; ++i) {
    std::unique_ptr<TcpStream> stream;
    if (listener_->accept(&stream) != RC_OK) return;
    bool local = isLocal(stream->peerAddress());
    // The rules are fixed while the service runs, so asking them once, before the peer takes a
    // place, decides for the connection's whole life.
    RuleAction action = local ? RULE_ALLOW : access_->evaluateRules(stream->peerAddress());
    if (action == RULE_DENY) {
      if (refusals >= kMaxRefusals) continue;
      ++refusals;
      auto refused = std::make_unique<ClientConnection>(std::move(stream), now_ms);
      refused->markRefusal();
      refused->queueReply(errorReply(RC_REFUSED) + "\r", now_ms);
      refused->finishAfterReplies();
      connections_.push_back(std::move(refused));
      continue;
    }
    if (action != RULE_ALLOW) continue;  // dropped without a word
    // Past the cap the peer is closed at once rather than left unserved in the backlog.
    if (served >= kMaxConnections) continue;
    if (!local && remote >= kMaxConnections - kLocalReserve) continue;
    ++served;
    if (!local) ++remote;
    connections_.push_back(std::make_unique<ClientConnection>(std::move(stream), now_ms));
  }
}

void ClientServer::serve(ClientConnection& connection, int64_t now_ms) {
  if (connection.draining()) {
    connection.discardInput();
    return;
  }
  std::string request;
  if (connection.receiveRequest(&request) != RC_OK) return;
  connection.markRequest(now_ms);
  runDeferred(connection, std::make_shared<DeferredDeviceCall>(std::move(request)));
}

void ClientServer::answer(ClientConnection& connection, std::string reply) {
  int64_t now = context_.clock.monotonicMs();
  reply.push_back('\r');
  int64_t hold_until = 0;
  if (connection.requestFailedLogin()) noteLoginFailure(connection, now, &hold_until);
  connection.queueReply(reply, now, hold_until);
}

void ClientServer::noteLoginFailure(ClientConnection& connection, int64_t now_ms,
                                    int64_t* hold_until_ms) {
  const ConnectionLogin& login = connection.login();
  if (context_.log) {
    // The name is the peer's own text: keep it to one short printable line in the log.
    std::string name;
    for (char c : login.user_name.substr(0, 64)) {
      name.push_back(c >= 0x20 && c < 0x7F && c != '"' ? c : '?');
    }
    context_.log->info("login failed for \"" + name + "\" from " +
                       formatIpv4(connection.peerAddress()));
  }
  // Guessing then costs a second a try, and a new connection every few tries.
  *hold_until_ms = now_ms + kLoginFailureDelayMs;
  if (login.failures >= kMaxLoginFailures) connection.finishAfterReplies();
}

void ClientServer::runDeferred(ClientConnection& connection,
                               std::shared_ptr<DeferredDeviceCall> call) {
  std::string reply = dispatcher_->dispatch(call->request(), connection.login(), call->beginRun());
  if (call->needed().empty()) {
    connection.setAwaitingDevice(false);
    answer(connection, std::move(reply));
    return;
  }
  connection.setAwaitingDevice(true);
  DriverChannel::Request request{call->needed(), [this, call, life = connection.lifeToken()](
                                                     ResultCode rc, const std::string& line) {
                                   std::shared_ptr<ClientConnection*> alive = life.lock();
                                   if (!alive) return;  // closed meanwhile: nobody to answer
                                   call->answer(rc, line);
                                   runDeferred(**alive, call);
                                 }};
  if (batch_open_) {
    batch_.push_back(std::move(request));
    return;
  }
  std::vector<DriverChannel::Request> requests;
  requests.push_back(std::move(request));
  context_.device.channel().submit(std::move(requests));
}

void ClientServer::removeFinished(int64_t now_ms) {
  bool removed = false;
  for (auto& connection : connections_) {
    if (!connection->closing() && connection->queuedBytes() > 0 &&
        now_ms - connection->lastSendProgressMs() > kSendStallMs) {
      connection->markClosing();
    }
    if (connection->draining()) {
      if (now_ms >= connection->drainUntilMs()) connection->markClosing();
    } else if (connection->repliesDone()) {
      connection->beginDraining(now_ms);
    } else if (connection->wantsRead() &&
               now_ms - connection->lastRequestMs() >= kIdleLimitMs) {
      connection->markClosing();
    }
    if (connection->closing()) {
      connection.reset();
      removed = true;
    }
  }
  if (!removed) return;
  connections_.erase(std::remove(connections_.begin(), connections_.end(), nullptr),
                     connections_.end());
}

}  // namespace gw
