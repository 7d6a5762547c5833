// The UPS as the service sees it: every operation is one request line to the driver process.
//
// A get writes its out-parameter only on RC_OK. Codes: the driver's own (1..20),
// RC_PIPE_BROKEN when the channel failed, RC_MALFORMED_REPLY when the reply did not parse.
#pragma once

#include <cstddef>
#include <cstdint>
#include <forward_list>
#include <string>
#include <utility>

#include "common/result_code.h"
#include "service/driverlink/driver_channel.h"

namespace gw {

class DeviceProxy {
 public:
  // The channel must outlive the proxy.
  explicit DeviceProxy(DriverChannel& channel) : channel_(channel) {}
  DeviceProxy(const DeviceProxy&) = delete;
  DeviceProxy& operator=(const DeviceProxy&) = delete;
  virtual ~DeviceProxy() = default;

  // "S<n>", n = 0..13.
  [[nodiscard]] ResultCode getStatus(int n, int32_t* value);
  // The driver's poll phase: "P0", milliseconds until its next poll of the UPS is due; "P1",
  // how long its last poll took.
  [[nodiscard]] ResultCode getPhase(int n, int32_t* value);
  // "R<n> <selector>" and "W<n> <value>", n = 0..6.
  [[nodiscard]] ResultCode getSetting(int n, int32_t selector, int32_t* value);
  [[nodiscard]] ResultCode setSetting(int n, int32_t value);
  // "R7" and "W7 <value mod 256>".
  [[nodiscard]] ResultCode getAlarm(int32_t* on);
  [[nodiscard]] ResultCode setAlarm(int32_t value);
  // Text reads "R<request>" (8..15). *size is in/out: the buffer size on entry; on
  // RC_BUFFER_TOO_SMALL the size needed (length + 1), and the text stays cached so that a second
  // call with that size needs no new exchange. On RC_OK the buffer holds the text and a NUL, and
  // the cached copy is gone, so the next read asks the driver again.
  [[nodiscard]] ResultCode getText(int request, char* buffer, size_t* size);
  // Forgets a text kept by a size query that will not be followed by the copy.
  void dropCachedText(int request);
  // Numeric reads "R<request>" (16, 17, 19..30).
  [[nodiscard]] ResultCode getNumber(int request, int32_t* value);
  // "C0 s", "C1 d r", "C2 s", "C3", "C4 type index". The driver answers every media change
  // with an error code (20 accepted, 1 kept); it also empties the text cache.
  [[nodiscard]] ResultCode selfTest(int32_t seconds);
  [[nodiscard]] ResultCode sleep(int32_t delay_seconds, int32_t restore_seconds);
  [[nodiscard]] ResultCode shutdown(int32_t delay_seconds);
  [[nodiscard]] ResultCode toggleBuzzer();
  [[nodiscard]] ResultCode changeMedia(int32_t type, int32_t index);

  // The channel the proxy talks over, for requests sent without waiting.
  DriverChannel& channel() { return channel_; }
  // "<letter><number><args>\n".
  static std::string requestLine(char letter, int number, const std::string& args);
  // The code of one reply (channel_rc is the channel's code for it); on RC_OK *payload (when
  // given) holds the text after the echo's blank, or *value the number there.
  static ResultCode parseReply(char letter, int number, ResultCode channel_rc,
                               const std::string& reply, std::string* payload);
  static ResultCode parseNumberReply(char letter, int number, ResultCode channel_rc,
                                     const std::string& reply, int32_t* value);

 private:
  // One request and the parse of its reply. On RC_OK *payload (when given) holds the text
  // after the echo's blank; a reply without one is malformed when a payload is wanted.
  ResultCode exchange(char letter, int number, const std::string& args, std::string* payload);
  ResultCode command(char letter, int number, const std::string& args);
  ResultCode readNumber(char letter, int number, const std::string& args, int32_t* value);

  DriverChannel& channel_;
  // (letter << 24 | request number, text) between a size query and the copy.
  std::forward_list<std::pair<uint32_t, std::string>> text_cache_;
};

}  // namespace gw
