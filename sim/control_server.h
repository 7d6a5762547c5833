// The simulator's control socket: a Unix socket accepting any number of clients, each sending
// command lines ending in a line feed and getting one reply line per command.
//
// The socket file is removed when the server is destroyed. Replies are written before the next
// command of the same client is read; a client that does not read its replies is dropped once
// kMaxOutput bytes wait for it.
#pragma once

#include <poll.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/result_code.h"
#include "platform/local_socket.h"

namespace gw {

class ControlServer {
 public:
  static constexpr size_t kMaxLine = 4096;
  static constexpr size_t kMaxOutput = 1 << 20;
  // Gets a line without its line feed, returns the reply without one.
  using Handler = std::function<std::string(const std::string& line)>;

  // Listens at `path`, replacing a stale socket there; RC_NOT_AVAILABLE for any other file there
  // or when the socket cannot be made.
  [[nodiscard]] static ResultCode create(const std::string& path, Handler handler,
                                         std::unique_ptr<ControlServer>* server);
  ControlServer(const ControlServer&) = delete;
  ControlServer& operator=(const ControlServer&) = delete;

  // Appends the descriptors to wait on; handle() takes the same entries back after poll().
  void addPollFds(std::vector<pollfd>* fds) const;
  void handle(const std::vector<pollfd>& fds);

 private:
  struct Client {
    std::unique_ptr<NonBlockingStream> stream;
    std::string in;
    std::string out;
    bool closed = false;
  };

  ControlServer(std::unique_ptr<LocalListener> listener, Handler handler)
      : listener_(std::move(listener)), handler_(std::move(handler)) {}
  void serve(Client& client);
  void flush(Client& client);

  std::unique_ptr<LocalListener> listener_;
  Handler handler_;
  std::vector<std::unique_ptr<Client>> clients_;
};

}  // namespace gw
