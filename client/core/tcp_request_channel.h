// The request channel over a TCP connection to the service.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "client/core/request_channel.h"
#include "platform/socket.h"

namespace gw {

class TcpRequestChannel : public RequestChannel {
 public:
  // Connects to host (dotted IPv4 or "localhost") and port, waiting at most timeout_ms; the
  // same limit applies to each send stall and each wait for reply bytes. RC_BAD_REQUEST when
  // the host is not an address (no name service is asked); RC_SOCKET_ERROR when the connection
  // cannot be made in time. *channel is written only on RC_OK.
  [[nodiscard]] static ResultCode open(const std::string& host, uint16_t port, int timeout_ms,
                                       std::unique_ptr<TcpRequestChannel>* channel);

  [[nodiscard]] ResultCode exchange(std::string_view request, std::string* reply) override;

 private:
  TcpRequestChannel(std::unique_ptr<TcpStream> stream, int timeout_ms);

  std::unique_ptr<TcpStream> stream_;
  int timeout_ms_;
  bool broken_ = false;
};

}  // namespace gw
