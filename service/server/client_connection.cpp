// Framing and bounded, non-blocking reply sending for one client connection.
#include "service/server/client_connection.h"

namespace gw {

ClientConnection::ClientConnection(std::unique_ptr<TcpStream> stream, int64_t now_ms)
    : stream_(std::move(stream)),
      peer_address_(stream_->peerAddress()),
      last_request_ms_(now_ms) {}

ResultCode ClientConnection::receiveRequest(std::string* request) {
  char chunk[kReceiveChunk];
  size_t got = 0;
  ResultCode rc = stream_->receive(chunk, sizeof chunk, &got);
  if (rc == RC_TIMEOUT) return RC_INCOMPLETE;  // woken without data: nothing ended yet
  if (rc != RC_OK) {
    closing_ = true;
    return RC_SOCKET_ERROR;
  }
  // The framing is by chunk: a carriage return ends a request only as a chunk's last byte, so
  // one inside a chunk stays part of the request.
  if (chunk[got - 1] == '\r') {
    request->assign(pending_);
    request->append(chunk, got - 1);
    pending_.clear();
    return RC_OK;
  }
  if (pending_.size() + got > kMaxPendingBytes) {
    closing_ = true;
    pending_.clear();
    return RC_SOCKET_ERROR;
  }
  pending_.append(chunk, got);
  return RC_INCOMPLETE;
}

void ClientConnection::queueReply(const std::string& reply, int64_t now_ms,
                                  int64_t hold_until_ms) {
  if (closing_) return;
  if (hold_until_ms > now_ms) {
    held_until_ms_ = hold_until_ms;
    // The stall limit counts from when the reply may go, not from when it was made.
    last_progress_ms_ = hold_until_ms;
  } else if (output_.empty()) {
    last_progress_ms_ = now_ms;
  }
  output_.append(reply);
  flush(now_ms);
}

void ClientConnection::releaseHeld(int64_t now_ms) {
  if (held_until_ms_ == 0 || now_ms < held_until_ms_) return;
  held_until_ms_ = 0;
  flush(now_ms);
}

void ClientConnection::flush(int64_t now_ms) {
  if (held_until_ms_ != 0) return;
  while (!closing_ && output_offset_ < output_.size()) {
    size_t sent = 0;
    if (stream_->send(output_.data() + output_offset_, output_.size() - output_offset_, &sent) !=
        RC_OK) {
      closing_ = true;
      return;
    }
    if (sent == 0) break;
    output_offset_ += sent;
    last_progress_ms_ = now_ms;
  }
  if (output_offset_ == output_.size()) {
    output_.clear();
    output_offset_ = 0;
  }
}

void ClientConnection::beginDraining(int64_t now_ms) {
  stream_->shutdownSend();
  draining_ = true;
  drain_until_ms_ = now_ms + kDrainMs;
}

void ClientConnection::discardInput() {
  char scratch[4096];
  // Bounded per pass: a peer that keeps sending must not keep the loop here.
  for (int i = 0; i < 16; ++i) {
    size_t got = 0;
    ResultCode rc = stream_->receive(scratch, sizeof scratch, &got);
    if (rc == RC_TIMEOUT) return;
    if (rc != RC_OK) {
      closing_ = true;
      return;
    }
  }
}

}  // namespace gw
