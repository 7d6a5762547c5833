// A test's side of the client protocol over loopback TCP: one request and its reply, and a
// connection logged in as an account.
#pragma once

#include <memory>
#include <string>

#include "platform/socket.h"

namespace gw {

inline constexpr const char* kClosed = "<closed>";
inline constexpr const char* kNoReply = "<no reply>";

// The reply without its carriage return; kNoReply when none came in time, kClosed (after what
// came, if anything) when the service closed the connection.
inline std::string receiveReply(TcpStream& s, int patience_ms) {
  std::string text;
  ResultCode rc = receiveUntil(s, '\r', patience_ms, &text);
  if (rc == RC_TIMEOUT) return text.empty() ? kNoReply : text;
  if (rc != RC_OK) return text.empty() ? kClosed : text + kClosed;
  text.pop_back();
  return text;
}

inline std::string ask(TcpStream& s, const std::string& request, int patience_ms = 5000) {
  if (sendAll(s, request, 5000) != RC_OK) return kClosed;
  return receiveReply(s, patience_ms);
}

// A connection to the service on `port` with "USR NAME" and "USR PASS" sent; null when it could
// not connect. `source` is the address to connect from (kAnyAddress: the system chooses).
inline std::unique_ptr<TcpStream> loginAs(uint16_t port, const std::string& name,
                                          const std::string& password = "",
                                          Ipv4Address source = kAnyAddress) {
  std::unique_ptr<TcpStream> s;
  if (connectTcp(kLoopbackAddress, port, source, 5000, &s) != RC_OK) return nullptr;
  if (ask(*s, "USR NAME " + name + "\r") != "" || ask(*s, "USR PASS " + password + "\r") != "") {
    return nullptr;
  }
  return s;
}

}  // namespace gw
