// The simulator's end of a simulated HID device (framing: platform/posix/hid_socket_frame.h):
// a Unix socket that any number of hosts connect to, as several processes may open one hidraw
// node. Each request gets its reply at once; every input report goes to every host.
//
// While the peripheral is unplugged (SimHidUps::plugged false) every host is dropped and a new
// one is closed at once, so that porter sees the device vanish as a USB unplug would.
#pragma once

#include <poll.h>

#include <memory>
#include <string>
#include <vector>

#include "common/result_code.h"
#include "platform/posix/unique_fd.h"
#include "sim/sim_hid_ups.h"

namespace gw {

class HidSocketServer {
 public:
  static constexpr size_t kMaxOutput = 1 << 20;

  // Listens at `path`, replacing a stale socket there; RC_NOT_AVAILABLE for any other file
  // there or when the socket cannot be made. The device must outlive the server.
  [[nodiscard]] static ResultCode create(SimHidUps& device, const std::string& path,
                                         std::unique_ptr<HidSocketServer>* server);
  ~HidSocketServer();
  HidSocketServer(const HidSocketServer&) = delete;
  HidSocketServer& operator=(const HidSocketServer&) = delete;

  const std::string& path() const { return path_; }
  size_t hosts() const { return hosts_.size(); }
  // Appends the descriptors to wait on; handle() takes the same entries back after poll().
  void addPollFds(std::vector<pollfd>* fds) const;
  void handle(const std::vector<pollfd>& fds);
  // Lets the UPS's time run, sends input reports, and drops the hosts when unplugged.
  void tick();

 private:
  struct Host {
    posix::UniqueFd fd;
    std::string in;
    std::string out;
    bool closed = false;
  };

  HidSocketServer(SimHidUps& device, posix::UniqueFd listener, std::string path)
      : device_(device), listener_(std::move(listener)), path_(std::move(path)) {}
  void accept();
  void serve(Host& host);
  void answer(Host& host, uint8_t type, const std::string& payload);
  void broadcastInput();
  void flush(Host& host);
  void removeClosed();

  SimHidUps& device_;
  posix::UniqueFd listener_;
  std::string path_;
  std::vector<std::unique_ptr<Host>> hosts_;
};

}  // namespace gw
