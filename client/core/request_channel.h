// One request-and-reply exchange with the monitoring service, over whatever carries it.
#pragma once

#include <string>
#include <string_view>

#include "common/result_code.h"

namespace gw {

class RequestChannel {
 public:
  RequestChannel() = default;
  RequestChannel(const RequestChannel&) = delete;
  RequestChannel& operator=(const RequestChannel&) = delete;
  virtual ~RequestChannel() = default;

  // Sends `request` (the caller has appended the ending carriage return) and waits for one
  // reply. RC_OK with *reply holding the reply text without its carriage return; RC_SOCKET_ERROR
  // when sending or receiving failed or timed out (the channel is then unusable). *reply is
  // written only on RC_OK.
  [[nodiscard]] virtual ResultCode exchange(std::string_view request, std::string* reply) = 0;
};

}  // namespace gw
