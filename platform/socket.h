// TCP over IPv4: a listening socket, connected streams and a readiness set over both.
//
// Every socket made here is non-blocking: receive and send never wait, and waiting is done in a
// PollSet or with waitReady. Addresses are IPv4 in host byte order (127.0.0.1 is 0x7F000001).
// Sending never raises a signal when the peer has gone; it fails with RC_SOCKET_ERROR instead.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/result_code.h"

namespace gw {

using Ipv4Address = uint32_t;
inline constexpr Ipv4Address kAnyAddress = 0;
inline constexpr Ipv4Address kLoopbackAddress = 0x7F000001;

// Dotted decimal text of an address.
std::string formatIpv4(Ipv4Address address);
// Reads exactly four dotted decimal parts, each 0..255. Returns false otherwise.
[[nodiscard]] bool parseIpv4(std::string_view text, Ipv4Address* address);
// A host as the clients name it: a dotted address or "localhost". No name service is asked.
[[nodiscard]] bool parseHostAddress(std::string_view host, Ipv4Address* address);

// What a PollSet can watch. The handle is the back-end's own socket handle.
class PollableSocket {
 public:
  PollableSocket() = default;
  PollableSocket(const PollableSocket&) = delete;
  PollableSocket& operator=(const PollableSocket&) = delete;
  virtual ~PollableSocket() = default;

  virtual intptr_t pollHandle() const = 0;
};

// One connected stream; the destructor closes it.
class TcpStream : public PollableSocket {
 public:
  // Reads what is there, at most `capacity` bytes. RC_OK with *received > 0; RC_TIMEOUT when
  // nothing is waiting; RC_SOCKET_ERROR when the peer closed the stream or the read failed.
  [[nodiscard]] virtual ResultCode receive(char* buffer, size_t capacity, size_t* received) = 0;
  // Sends as much as the system takes now. RC_OK with *sent (0 when its buffer is full);
  // RC_SOCKET_ERROR when the stream is broken.
  [[nodiscard]] virtual ResultCode send(const char* data, size_t size, size_t* sent) = 0;
  // Waits at most timeout_ms (negative: no limit) until receive (for_write false) or send
  // (for_write true) can make progress. RC_OK, RC_TIMEOUT, or RC_SOCKET_ERROR.
  [[nodiscard]] virtual ResultCode waitReady(bool for_write, int timeout_ms) = 0;
  // Ends our sending direction (the peer reads end of stream); receiving still works.
  virtual void shutdownSend() = 0;

  virtual Ipv4Address peerAddress() const = 0;
  virtual uint16_t peerPort() const = 0;
  virtual Ipv4Address localAddress() const = 0;
};

// A listening socket; the destructor closes it.
class TcpListener : public PollableSocket {
 public:
  // Takes one waiting connection. RC_OK with a non-blocking stream; RC_TIMEOUT when none waits;
  // another code when the system refused (the listener stays usable). *stream is written only
  // on RC_OK.
  [[nodiscard]] virtual ResultCode accept(std::unique_ptr<TcpStream>* stream) = 0;
  // The bound address and port (the port the system chose when 0 was asked for).
  virtual Ipv4Address localAddress() const = 0;
  virtual uint16_t localPort() const = 0;
};

// Binds (address reuse on, so a restart finds the port free) and listens with the system's
// largest backlog. Port 0 lets the system choose. RC_NOT_AVAILABLE when the port is taken.
[[nodiscard]] ResultCode listenTcp(Ipv4Address address, uint16_t port,
                                   std::unique_ptr<TcpListener>* listener);

// Connects, waiting at most timeout_ms. When `source` is not kAnyAddress the socket is bound to
// it first (loopback tests use 127.0.0.x to appear as another host). The stream is non-blocking.
// RC_TIMEOUT, RC_SOCKET_ERROR when refused or failed.
[[nodiscard]] ResultCode connectTcp(Ipv4Address address, uint16_t port, Ipv4Address source,
                                    int timeout_ms, std::unique_ptr<TcpStream>* stream);

// The IPv4 addresses of this host's network interfaces, loopback included. Reads local state
// only; never asks a name server.
[[nodiscard]] ResultCode localInterfaceAddresses(std::vector<Ipv4Address>* addresses);

// A set of sockets to wait on; rebuilt for every wait. Slots are numbered in the order added.
class PollSet {
 public:
  PollSet() = default;
  PollSet(const PollSet&) = delete;
  PollSet& operator=(const PollSet&) = delete;
  virtual ~PollSet() = default;

  virtual void clear() = 0;
  // The socket must outlive the next wait. Returns the slot.
  size_t add(const PollableSocket& socket, bool want_read, bool want_write) {
    return addHandle(socket.pollHandle(), want_read, want_write);
  }
  // The same for any other pollable handle of the back-end (a local socket or its listener).
  virtual size_t addHandle(intptr_t handle, bool want_read, bool want_write) = 0;
  // Waits at most timeout_ms (negative: no limit). RC_OK when at least one slot is ready,
  // RC_TIMEOUT when none became ready in time, another code when the wait failed.
  [[nodiscard]] virtual ResultCode wait(int timeout_ms) = 0;
  // After RC_OK from wait: the slot has bytes (or an end of stream) to receive, or a
  // connection to accept.
  virtual bool readable(size_t slot) const = 0;
  virtual bool writable(size_t slot) const = 0;
  // The peer hung up or the socket has an error pending.
  virtual bool broken(size_t slot) const = 0;
};

std::unique_ptr<PollSet> createPollSet();

// Handles served in another object's wait: the owner of the wait lets the participant add its
// handles to the set before the wait, and serve them after it. Neither call may block.
class PollParticipant {
 public:
  PollParticipant() = default;
  PollParticipant(const PollParticipant&) = delete;
  PollParticipant& operator=(const PollParticipant&) = delete;
  virtual ~PollParticipant() = default;

  virtual void addTo(PollSet& poll) = 0;
  // Called only after a wait that returned RC_OK.
  virtual void serveReady(const PollSet& poll) = 0;
};

// Client-side conveniences over a stream, for tools, benchmarks and tests.
// Sends every byte, waiting at most timeout_ms for each stall. RC_OK, RC_TIMEOUT, RC_SOCKET_ERROR.
[[nodiscard]] ResultCode sendAll(TcpStream& stream, std::string_view data, int timeout_ms);
// Appends received bytes to *text until one of them is `terminator`, waiting at most timeout_ms
// for each piece. Bytes after the terminator in the same piece are kept in *text as well.
[[nodiscard]] ResultCode receiveUntil(TcpStream& stream, char terminator, int timeout_ms,
                                      std::string* text);

}  // namespace gw
