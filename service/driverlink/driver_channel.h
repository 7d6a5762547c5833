// Request/reply exchanges with the driver process, as the device proxy and the poll need them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/result_code.h"
#include "platform/socket.h"

namespace gw {

class DriverChannel {
 public:
  // Runs once per request with its result; on RC_OK `reply` is the line without its '\n'.
  using ReplyHandler = std::function<void(ResultCode rc, const std::string& reply)>;
  struct Request {
    std::string line;  // ends with '\n'
    ReplyHandler done;
  };

  DriverChannel() = default;
  DriverChannel(const DriverChannel&) = delete;
  DriverChannel& operator=(const DriverChannel&) = delete;
  virtual ~DriverChannel() = default;

  // Sends one request line (which ends with '\n') and reads one reply line. On RC_OK *reply
  // holds the line without its '\n'. RC_PIPE_BROKEN when the driver is gone, did not answer in
  // time, or the write or read failed; RC_MALFORMED_REPLY when the reply is too long. Replies to
  // requests sent earlier with submit() that come in meanwhile run their handlers.
  [[nodiscard]] virtual ResultCode exchange(std::string_view request, std::string* reply) = 0;

  // Sends the requests in one write without waiting; each handler runs when its reply is in,
  // from onReadable(), checkTimeouts() or a later exchange(). This base version exchanges them
  // one by one at once, so over it every handler has run when submit returns.
  virtual void submit(std::vector<Request> requests) {
    for (Request& request : requests) {
      std::string reply;
      ResultCode rc = exchange(request.line, &reply);
      request.done(rc, reply);
    }
  }
  // What the main loop's wait watches for replies; null when nothing is to be watched.
  virtual const PollableSocket* replyWatch() const { return nullptr; }
  // The watched end became readable: takes what came and runs the handlers it completes.
  virtual void onReadable() {}
  // Fails the requests in flight once the driver has been silent past the reply time-out, and
  // lowers timeout_ms to the time left until then.
  virtual void checkTimeouts(uint32_t& /*timeout_ms*/) {}
  // Blocks until every request in flight is answered or failed (at most the reply time-out
  // after the driver last answered).
  virtual void awaitAll() {}
  // Requests written and not yet answered.
  virtual size_t inFlight() const { return 0; }
};

}  // namespace gw
