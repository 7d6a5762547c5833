// The simulator's end of the virtual serial cable (framing: platform/posix/virtual_cable_port.h):
// a Unix socket that one port at a time connects to. A newer connection replaces the older,
// as when porter reopens its port; each connection starts with every output line low.
#pragma once

#include <memory>
#include <string>

#include "common/result_code.h"
#include "platform/posix/unique_fd.h"
#include "sim/sim_ups.h"

namespace gw {

class CableServer {
 public:
  // Listens at `path`, replacing a stale socket left there (any other kind of file there is an
  // error: RC_NOT_AVAILABLE). The socket file is removed when the server is destroyed.
  [[nodiscard]] static ResultCode create(SimUps& ups, const std::string& path,
                                         std::unique_ptr<CableServer>* server);
  ~CableServer();
  CableServer(const CableServer&) = delete;
  CableServer& operator=(const CableServer&) = delete;

  const std::string& path() const { return path_; }
  int listenFd() const { return listener_.get(); }
  int connectionFd() const { return connection_.get(); }  // -1 when no port is connected

  void onListenReadable();
  void onConnectionReadable();
  // Sends the input lines when they changed by themselves (mains failure, say).
  void tick();

 private:
  CableServer(SimUps& ups, posix::UniqueFd listener, std::string path)
      : ups_(ups), listener_(std::move(listener)), path_(std::move(path)) {}
  void sendFrame(uint8_t type, uint8_t value);
  void sendFrames(const std::string& frames);
  void dropConnection();

  SimUps& ups_;
  posix::UniqueFd listener_;
  posix::UniqueFd connection_;
  std::string path_;
  std::string partial_;
  int last_inputs_ = -1;
};

}  // namespace gw
