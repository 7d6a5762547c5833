// Local stream sockets at a path in the file system: the simulator's cable and control channels,
// and the service's notification socket, which tells who is at the other end.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "common/result_code.h"
#include "platform/nonblocking_stream.h"

namespace gw {

// Single-threaded. Destruction closes the socket and removes its file.
class LocalListener {
 public:
  LocalListener() = default;
  LocalListener(const LocalListener&) = delete;
  LocalListener& operator=(const LocalListener&) = delete;
  virtual ~LocalListener() = default;

  // Readable when a connection waits.
  virtual intptr_t pollHandle() const = 0;
  virtual const std::string& path() const = 0;
  // Takes one waiting connection, non-blocking. RC_OK; RC_TIMEOUT when none waits.
  [[nodiscard]] virtual ResultCode accept(std::unique_ptr<NonBlockingStream>* stream) = 0;
};

// Listens at `path`. A stale socket at the path is replaced; any other kind of file there is
// never touched (RC_NOT_AVAILABLE). RC_BAD_VALUE for a path that does not fit. With
// `every_local_user` any user of this machine may connect (the directory permitting);
// otherwise the creation mask decides.
[[nodiscard]] ResultCode listenLocal(const std::string& path, int backlog,
                                     std::unique_ptr<LocalListener>* listener,
                                     bool every_local_user = false);

// Connects to the listener at `path`, non-blocking. RC_NOT_AVAILABLE when nothing listens.
[[nodiscard]] ResultCode connectLocal(const std::string& path,
                                      std::unique_ptr<NonBlockingStream>* stream);

// The user id of the process at the other end of an accepted or connected local stream, as the
// system recorded it when the connection was made. *uid is written only on RC_OK.
[[nodiscard]] ResultCode localPeerUserId(const NonBlockingStream& stream, uint32_t* uid);

// The effective user id of this process; kSuperUserId is the system's administrator.
inline constexpr uint32_t kSuperUserId = 0;
uint32_t currentUserId();

}  // namespace gw
