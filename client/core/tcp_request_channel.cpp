// Request exchanges over a TCP stream: send the request, read until the reply's carriage return.
#include "client/core/tcp_request_channel.h"

namespace gw {

TcpRequestChannel::TcpRequestChannel(std::unique_ptr<TcpStream> stream, int timeout_ms)
    : stream_(std::move(stream)), timeout_ms_(timeout_ms) {}

ResultCode TcpRequestChannel::open(const std::string& host, uint16_t port, int timeout_ms,
                                   std::unique_ptr<TcpRequestChannel>* channel) {
  Ipv4Address address = 0;
  if (!parseHostAddress(host, &address)) return RC_BAD_REQUEST;
  std::unique_ptr<TcpStream> stream;
  ResultCode rc = connectTcp(address, port, kAnyAddress, timeout_ms, &stream);
  if (rc != RC_OK) return RC_SOCKET_ERROR;
  channel->reset(new TcpRequestChannel(std::move(stream), timeout_ms));
  return RC_OK;
}

ResultCode TcpRequestChannel::exchange(std::string_view request, std::string* reply) {
  // After a failure the stream may still deliver the late reply of the failed request, which
  // would then be taken as the answer to the next one.
  if (broken_) return RC_SOCKET_ERROR;
  std::string received;
  if (sendAll(*stream_, request, timeout_ms_) != RC_OK ||
      receiveUntil(*stream_, '\r', timeout_ms_, &received) != RC_OK) {
    broken_ = true;
    return RC_SOCKET_ERROR;
  }
  // The service sends nothing after a reply's carriage return until it has the next request.
  received.resize(received.find('\r'));
  *reply = std::move(received);
  return RC_OK;
}

}  // namespace gw
