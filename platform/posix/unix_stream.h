// Connected Unix stream sockets, as the simulator's cable and HID device use them: connecting
// to a path, and taking in whatever has arrived.
#pragma once

#include <string>

#include "common/result_code.h"
#include "platform/posix/unique_fd.h"

namespace gw::posix {

// Connects to the socket at `path` and makes the descriptor non-blocking. RC_NOT_AVAILABLE
// when nothing listens there (a local connect never waits for the peer).
[[nodiscard]] ResultCode connectUnixSocket(const std::string& path, UniqueFd* fd);

// Waits at most timeout_ms for bytes, then appends all that are waiting to *received. False
// once the peer has closed the stream or it failed; what arrived before is appended still.
[[nodiscard]] bool receiveWaiting(int fd, int timeout_ms, std::string* received);

}  // namespace gw::posix
