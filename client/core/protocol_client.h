// The monitoring service's client protocol as its clients use it: typed requests over a channel,
// with the service's "ERR n" replies turned into result codes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "client/core/request_channel.h"
#include "common/result_code.h"
#include "protocol/log_kind.h"

namespace gw {

// Which store a key belongs to: POL for service settings, PTC for the event policy.
enum class KeyStore { kSetting, kPolicy };

class ProtocolClient {
 public:
  // The channel must outlive the client.
  explicit ProtocolClient(RequestChannel& channel) : channel_(channel) {}
  ProtocolClient(const ProtocolClient&) = delete;
  ProtocolClient& operator=(const ProtocolClient&) = delete;

  // One request, without its carriage return; the reply is read with decodeReply
  // (protocol/wire_reply.h). A request holding a carriage return or a line feed is refused with
  // RC_BAD_REQUEST before anything is sent: the first would split it, the second would end up in
  // the service's line-per-entry files. *reply is written only on RC_OK.
  [[nodiscard]] ResultCode request(std::string_view text, std::string* reply);

  // Stores the name and password on the connection. The service checks them at the first
  // request that needs a level, so a wrong login shows there as RC_ACCESS_DENIED.
  [[nodiscard]] ResultCode login(const std::string& user, const std::string& password);

  // "DEV name" read as a decimal number. A reply that is not one means the exchange went wrong:
  // RC_SOCKET_ERROR, as for the other replies of a fixed form below.
  [[nodiscard]] ResultCode readNumber(std::string_view variable, int32_t* value);
  [[nodiscard]] ResultCode getKey(KeyStore store, std::string_view key, std::string* value);
  [[nodiscard]] ResultCode setKey(KeyStore store, std::string_view key, std::string_view value);

  // Whether the login holds the manager level, asked with a clear of a log number that does not
  // exist: the service checks the level first and then clears nothing. RC_OK with the answer,
  // or the failure of the exchange.
  [[nodiscard]] ResultCode hasManagerLevel(bool* manager);

  // `log` is a LogKind (protocol/log_kind.h).
  [[nodiscard]] ResultCode logCount(int log, int64_t* count);
  // The records before `before` (at most one page), oldest first, and the cursor of the first.
  // For the saved-files log the service answers with the whole file instead of a page.
  [[nodiscard]] ResultCode logPageBefore(int log, int64_t before, int64_t* first,
                                         std::vector<std::string>* records);

  [[nodiscard]] ResultCode scheduleLines(std::vector<std::string>* lines);
  // Seconds of test, or -1 to stop a running test.
  [[nodiscard]] ResultCode selfTest(int32_t seconds);

 private:
  RequestChannel& channel_;
};

// The store a key is read from: a key of the policy grammar ("powerfail.sound.happen.max count",
// protocol/policy_key.h) is an event policy key; everything else is a service setting.
KeyStore classifyKey(std::string_view key);

}  // namespace gw
