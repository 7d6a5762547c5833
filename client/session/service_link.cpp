// Sending requests and assembling replies with the session's waits.
#include "client/session/service_link.h"

namespace gw {

ResultCode ServiceLink::connect(const std::string& host, uint16_t port) {
  Ipv4Address address = 0;
  if (!parseHostAddress(host, &address)) return RC_SOCKET_ERROR;
  std::unique_ptr<TcpStream> stream;
  if (connectTcp(address, port, kAnyAddress, waits_.receive_ms, &stream) != RC_OK) {
    return RC_SOCKET_ERROR;
  }
  stream_ = std::move(stream);
  pending_.clear();
  owed_replies_ = 0;
  return RC_OK;
}

ResultCode ServiceLink::readReply(std::string* reply) {
  std::string text;
  for (;;) {
    size_t cr = pending_.find('\r');
    if (cr != std::string::npos) {
      text.append(pending_, 0, cr);
      pending_.erase(0, cr + 1);
      *reply = std::move(text);
      return RC_OK;
    }
    text += pending_;
    pending_.clear();
    if (stream_->waitReady(false, waits_.receive_ms) != RC_OK) {
      pending_ = std::move(text);  // the rest may still come; it belongs to this reply
      return RC_SOCKET_ERROR;
    }
    char buffer[kReadSize];
    size_t got = 0;
    ResultCode rc = stream_->receive(buffer, sizeof buffer, &got);
    if (rc == RC_TIMEOUT) continue;
    if (rc != RC_OK) {
      stream_.reset();
      return RC_SOCKET_ERROR;
    }
    pending_.append(buffer, got);
  }
}

ResultCode ServiceLink::exchange(std::string_view request, std::string* reply) {
  if (!stream_) return RC_SOCKET_ERROR;
  while (owed_replies_ > 0) {
    std::string late;
    if (readReply(&late) != RC_OK) return RC_SOCKET_ERROR;
    --owed_replies_;
  }
  if (sendAll(*stream_, request, waits_.send_ms) != RC_OK) {
    stream_.reset();  // a request cut off in the middle cannot be ended cleanly
    return RC_SOCKET_ERROR;
  }
  std::string text;
  ResultCode rc = readReply(&text);
  if (rc != RC_OK) {
    if (stream_) ++owed_replies_;
    return rc;
  }
  *reply = std::move(text);
  return RC_OK;
}

}  // namespace gw
