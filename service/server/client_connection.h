// One accepted client connection: its socket, the start of a request not yet ended, its login,
// and the replies not yet taken by the peer.
//
// The connection never blocks: receives happen only after the socket was readable and sends
// take what the system accepts, keeping the rest for later. It is not read while a reply waits,
// so at most one reply is ever queued: a peer that does not read cannot make the service hold
// more than that. The owner removes the connection
// after a pass once closing() says so, or once a finished connection has drained; the
// connection never destroys itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "common/result_code.h"
#include "platform/socket.h"
#include "service/access/access_control.h"

namespace gw {

class ClientConnection {
 public:
  // A request longer than this without its carriage return closes the connection.
  static constexpr size_t kMaxPendingBytes = 64 * 1024;
  // One receive takes at most this many bytes.
  static constexpr size_t kReceiveChunk = 1024;
  // How long a finished connection waits for the peer to close, reading and dropping what it
  // still sends: closing with unread bytes would answer them with a reset, and a reset can
  // discard the last reply before the peer has read it.
  static constexpr int64_t kDrainMs = 2000;

  // `now_ms` (monotonic) is when it was accepted: its idle time counts from there.
  ClientConnection(std::unique_ptr<TcpStream> stream, int64_t now_ms);
  ClientConnection(const ClientConnection&) = delete;
  ClientConnection& operator=(const ClientConnection&) = delete;

  // One receive of at most kReceiveChunk bytes. A request ends when the chunk received ends
  // with a carriage return: RC_OK, and *request is the pending bytes and the chunk without that
  // carriage return. RC_INCOMPLETE when the chunk did not end a request (also when nothing was
  // waiting). RC_SOCKET_ERROR when the peer closed, the receive failed, or the pending bytes
  // outgrew kMaxPendingBytes; the connection is then marked closing.
  [[nodiscard]] ResultCode receiveRequest(std::string* request);

  // Queues a reply text (with its carriage return) and sends what the system takes now, or,
  // when `hold_until_ms` lies after now, nothing before then (releaseHeld sends it). A broken
  // stream marks the connection closing.
  void queueReply(const std::string& reply, int64_t now_ms, int64_t hold_until_ms = 0);
  // Sends more of the queued replies; a broken stream marks the connection closing. Nothing
  // while the reply is held.
  void flush(int64_t now_ms);
  // Sends a held reply once its time has come.
  void releaseHeld(int64_t now_ms);
  // When a held reply may go; 0 when nothing is held.
  int64_t heldUntilMs() const { return held_until_ms_; }
  // A request was completed now: the idle time starts again, and the login's failures so far
  // are noted, so that its reply can tell whether it failed a login.
  void markRequest(int64_t now_ms) {
    last_request_ms_ = now_ms;
    failures_before_request_ = login_.failures;
  }
  // Whether the request being answered failed a login.
  bool requestFailedLogin() const { return login_.failures != failures_before_request_; }
  // When the connection was accepted or last completed a request.
  int64_t lastRequestMs() const { return last_request_ms_; }
  // Marks the connection to be closed once its queued replies are out.
  void finishAfterReplies() { finishing_ = true; }
  // Marks the connection to be closed at once.
  void markClosing() { closing_ = true; }
  // Marks a connection kept only to deliver the refusal of the address rules.
  void markRefusal() { refusal_ = true; }
  bool refusal() const { return refusal_; }

  // A request's reply waits for the driver: no further request is read until it is queued, so
  // the replies keep the order of the requests.
  void setAwaitingDevice(bool awaiting) { awaiting_device_ = awaiting; }
  bool awaitingDevice() const { return awaiting_device_; }
  // Expires with the connection, for replies that come after it was closed.
  std::weak_ptr<ClientConnection*> lifeToken() const { return self_; }

  bool closing() const { return closing_; }
  // Finishing with every reply sent: ready to drain.
  bool repliesDone() const { return finishing_ && output_.empty() && !awaiting_device_; }
  // Ends our sending direction and starts the drain, which lasts until the peer closes or
  // kDrainMs has passed.
  void beginDraining(int64_t now_ms);
  bool draining() const { return draining_; }
  int64_t drainUntilMs() const { return drain_until_ms_; }
  // While draining: reads and drops what the peer sent; its end of stream marks the
  // connection closing.
  void discardInput();
  // Whether it should be watched for reading: for requests (not once it is being wound up,
  // and not while replies wait: a peer that does not read its replies gets no further work
  // done), or for the peer's close while draining.
  bool wantsRead() const {
    return !closing_ &&
           (draining_ || (!finishing_ && output_.empty() && !awaiting_device_));
  }
  bool wantsWrite() const { return !closing_ && !output_.empty() && held_until_ms_ == 0; }
  size_t queuedBytes() const { return output_.size() - output_offset_; }
  // When queued replies last made progress (or were first queued).
  int64_t lastSendProgressMs() const { return last_progress_ms_; }

  ConnectionLogin& login() { return login_; }
  Ipv4Address peerAddress() const { return peer_address_; }
  const TcpStream& stream() const { return *stream_; }
  // The start of a request still without its carriage return.
  size_t pendingBytes() const { return pending_.size(); }

 private:
  std::unique_ptr<TcpStream> stream_;
  Ipv4Address peer_address_;
  ConnectionLogin login_;
  std::string pending_;
  std::string output_;
  size_t output_offset_ = 0;
  int64_t last_progress_ms_ = 0;
  int64_t last_request_ms_ = 0;
  int64_t held_until_ms_ = 0;
  int64_t drain_until_ms_ = 0;
  uint32_t failures_before_request_ = 0;
  bool finishing_ = false;
  bool draining_ = false;
  bool closing_ = false;
  bool refusal_ = false;
  bool awaiting_device_ = false;
  std::shared_ptr<ClientConnection*> self_ = std::make_shared<ClientConnection*>(this);
};

}  // namespace gw
