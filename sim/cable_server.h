// The simulator's end of the virtual serial cable (framing: platform/virtual_cable.h):
// a Unix socket that one port at a time connects to. A newer connection replaces the older,
// as when porter reopens its port; each connection starts with every output line low.
#pragma once

#include <memory>
#include <string>

#include "common/result_code.h"
#include "platform/local_socket.h"
#include "sim/sim_ups.h"

namespace gw {

class CableServer {
 public:
  // Listens at `path`, replacing a stale socket left there (any other kind of file there is an
  // error: RC_NOT_AVAILABLE). The socket file is removed when the server is destroyed.
  [[nodiscard]] static ResultCode create(SimUps& ups, const std::string& path,
                                         std::unique_ptr<CableServer>* server);
  CableServer(const CableServer&) = delete;
  CableServer& operator=(const CableServer&) = delete;

  const std::string& path() const { return listener_->path(); }
  int listenFd() const { return static_cast<int>(listener_->pollHandle()); }
  // -1 when no port is connected.
  int connectionFd() const {
    return connection_ ? static_cast<int>(connection_->pollHandle()) : -1;
  }

  void onListenReadable();
  void onConnectionReadable();
  // Sends the input lines when they changed by themselves (mains failure, say).
  void tick();

 private:
  CableServer(SimUps& ups, std::unique_ptr<LocalListener> listener)
      : ups_(ups), listener_(std::move(listener)) {}
  void sendFrame(uint8_t type, uint8_t value);
  void sendFrames(const std::string& frames);
  void dropConnection();

  SimUps& ups_;
  std::unique_ptr<LocalListener> listener_;
  std::unique_ptr<NonBlockingStream> connection_;
  std::string partial_;
  int last_inputs_ = -1;
};

}  // namespace gw
