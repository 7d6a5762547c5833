// One request/reply exchange with the driver process, as the device proxy needs it.
#pragma once

#include <string>
#include <string_view>

#include "common/result_code.h"

namespace gw {

class DriverChannel {
 public:
  DriverChannel() = default;
  DriverChannel(const DriverChannel&) = delete;
  DriverChannel& operator=(const DriverChannel&) = delete;
  virtual ~DriverChannel() = default;

  // Sends one request line (which ends with '\n') and reads one reply line. On RC_OK *reply
  // holds the line without its '\n'. RC_PIPE_BROKEN when the driver is gone, did not answer in
  // time, or the write or read failed; RC_MALFORMED_REPLY when the reply is too long.
  [[nodiscard]] virtual ResultCode exchange(std::string_view request, std::string* reply) = 0;
};

}  // namespace gw
