// Connected Unix stream sockets, as the virtual cable's port and the simulated HID device's
// host use them: the address of a path, connecting to it, sending within a time, and taking in
// whatever has arrived.
#pragma once

#include <sys/un.h>

#include <string>

#include "common/result_code.h"
#include "platform/posix/unique_fd.h"

namespace gw::posix {

// False when the path is empty or does not fit a socket address.
[[nodiscard]] bool unixSocketAddress(const std::string& path, sockaddr_un* addr);

// Connects to the socket at `path` and makes the descriptor non-blocking. RC_NOT_AVAILABLE
// when nothing listens there (a local connect never waits for the peer) or the path does not
// fit.
[[nodiscard]] ResultCode connectUnixSocket(const std::string& path, UniqueFd* fd);

// Sends all of `bytes` on a non-blocking socket, waiting at most timeout_ms in all for room.
// RC_OK; RC_TIMEOUT when the peer stopped reading; RC_LINE_FAILURE when the socket broke.
// Either failure may leave part of the bytes sent.
[[nodiscard]] ResultCode sendWithin(int fd, const std::string& bytes, int timeout_ms);

// Waits at most timeout_ms for bytes, then appends all that are waiting to *received. False
// once the peer has closed the stream or it failed; what arrived before is appended still.
[[nodiscard]] bool receiveWaiting(int fd, int timeout_ms, std::string* received);

}  // namespace gw::posix
