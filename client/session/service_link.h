// The session's one TCP connection to the service, used strictly in turn: a request is sent
// whole, then its reply is read until a piece holding a carriage return has arrived.
// Not thread-safe: only the session's worker uses it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "common/result_code.h"
#include "platform/socket.h"

namespace gw {

class ServiceLink {
 public:
  struct Waits {
    int send_ms = 5000;      // per stall while sending
    int receive_ms = 10000;  // per wait for the next piece of a reply
  };
  static constexpr size_t kReadSize = 1450;

  explicit ServiceLink(Waits waits) : waits_(waits) {}

  // A dotted address (or "localhost") and a port; no name service is asked. Waits at most
  // receive_ms for the system to answer. RC_OK, or RC_SOCKET_ERROR.
  [[nodiscard]] ResultCode connect(const std::string& host, uint16_t port);

  // Sends `request` (ended by its carriage return) and reads one reply: *reply is the reply
  // text without its carriage return. RC_SOCKET_ERROR when there is no connection, a send
  // fails or stalls too long, or a read fails or waits too long. A reply that came too late is
  // skipped before the next request's reply is read, so the replies stay matched.
  [[nodiscard]] ResultCode exchange(std::string_view request, std::string* reply);

  bool connected() const { return stream_ != nullptr; }

 private:
  ResultCode readReply(std::string* reply);

  Waits waits_;
  std::unique_ptr<TcpStream> stream_;
  std::string pending_;  // bytes after a reply's carriage return, from a late reply
  int owed_replies_ = 0;
};

}  // namespace gw
