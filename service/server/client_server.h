// The client protocol server: listens for management clients, keeps one ClientConnection per
// connection, and answers their requests from the service's main loop.
//
// Everything runs on the thread that calls pollClients; nothing here starts a thread. Sockets
// are non-blocking, so one pass never waits longer than its timeout: a peer that stops reading
// costs at most kSendStallMs before its connection is closed, and one that never ends its
// request at most ClientConnection::kMaxPendingBytes of memory.
//
// A remote peer meets the address rules when it is accepted, before it takes a place in the
// table: DENY answers "ERR 32" and closes (at most kMaxRefusals at a time, so that a flood of
// refused peers holds no place), DROP (or no deciding rule) closes at once. Remote
// peers never hold the last kLocalReserve places, so clients on this host are served however
// many remote ones connect. A connection that completes no request for kIdleLimitMs is closed.
// A failed login is written to the system log with the peer's address, its reply is held back
// for kLoginFailureDelayMs, and the kMaxLoginFailures-th closes the connection after its reply.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "common/result_code.h"
#include "platform/socket.h"
#include "service/access/access_control.h"
#include "service/server/client_connection.h"
#include "service/server/deferred_device_call.h"
#include "service/server/request_dispatcher.h"
#include "service/server/server_context.h"

namespace gw {

class ClientServer {
 public:
  // Connections beyond this many are accepted and closed at once.
  static constexpr size_t kMaxConnections = 256;
  // A connection whose queued replies make no progress for this long is closed.
  static constexpr int64_t kSendStallMs = 5000;
  // Connections taken from the listener in one pass, so that a flood cannot starve the others.
  static constexpr int kAcceptsPerPass = 32;
  // Places in the table that only clients on this host may take.
  static constexpr size_t kLocalReserve = 16;
  // Refused peers held at once to hear their "ERR 32", beside the table; more are closed
  // without a word.
  static constexpr size_t kMaxRefusals = 32;
  // A connection that completes no request for this long (from its accept or its last
  // request) is closed. Clients poll every few seconds, so only a silent peer meets it.
  static constexpr int64_t kIdleLimitMs = 60000;
  // How long the reply to a request whose login failed is held back.
  static constexpr int64_t kLoginFailureDelayMs = 1000;
  // Failed logins after which a connection is closed.
  static constexpr uint32_t kMaxLoginFailures = 3;

  // Loads the access control from the context's data directory ("access", "user") and listens
  // on the context's address and port (every local address, 8855, in the service).
  // RC_NOT_AVAILABLE when the port is taken; *server is written only on RC_OK.
  [[nodiscard]] static ResultCode create(ClientServerContext context,
                                         std::unique_ptr<ClientServer>* server);
  ClientServer(const ClientServer&) = delete;
  ClientServer& operator=(const ClientServer&) = delete;
  // Closes every connection and the listener.
  ~ClientServer();

  // One pass: waits at most timeout_ms for client sockets, then accepts, reads and answers what
  // is ready. Returns early once anything was handled. RC_OK (also when the wait timed out), or
  // the code of a failed wait, with nothing else changed. `also` (may be null) has its own
  // handles watched in the same wait and served after it.
  [[nodiscard]] ResultCode pollClients(uint32_t timeout_ms, PollParticipant* also = nullptr);

  uint16_t port() const { return listener_->localPort(); }
  // The accounts and address rules, for saving at the stop.
  const AccessControl& access() const { return *access_; }
  // Connections held, refused peers still hearing their refusal included.
  size_t connectionCount() const { return connections_.size(); }

 private:
  ClientServer(ClientServerContext context, std::unique_ptr<AccessControl> access,
               std::unique_ptr<TcpListener> listener, std::vector<Ipv4Address> own_addresses);

  bool isLocal(Ipv4Address peer) const;
  void acceptWaiting(int64_t now_ms);
  void serve(ClientConnection& connection, int64_t now_ms);
  // Runs a request over its deferred device call; sends the driver request it still needs, or
  // queues the reply.
  void runDeferred(ClientConnection& connection, std::shared_ptr<DeferredDeviceCall> call);
  // Sends the device requests collected during a pass, and ends the collecting.
  void submitBatch();
  // Queues the reply of the request the connection made last, held back when it failed a
  // login.
  void answer(ClientConnection& connection, std::string reply);
  void noteLoginFailure(ClientConnection& connection, int64_t now_ms, int64_t* hold_until_ms);
  int waitTimeout(uint32_t timeout_ms, int64_t now_ms) const;
  void removeFinished(int64_t now_ms);

  ClientServerContext context_;
  std::unique_ptr<AccessControl> access_;
  std::unique_ptr<TcpListener> listener_;
  std::vector<Ipv4Address> own_addresses_;
  std::unique_ptr<RequestDispatcher> dispatcher_;
  std::unique_ptr<PollSet> poll_;
  std::vector<std::unique_ptr<ClientConnection>> connections_;
  // Device requests made while a pass serves its connections, sent together at its end.
  std::vector<DriverChannel::Request> batch_;
  bool batch_open_ = false;
};

}  // namespace gw
