// The floor of a design where every request is one serial pipe round trip: a TCP server that
// forwards each request line to an echoing child (cat) and sends back its echo, one request at
// a time, with nothing else done. The service's figures are read against this one's.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/pipe.h"
#include "platform/process.h"
#include "platform/socket.h"

namespace gw::bench {

class FloorServer {
 public:
  FloorServer() = default;
  FloorServer(const FloorServer&) = delete;
  FloorServer& operator=(const FloorServer&) = delete;
  ~FloorServer();

  // Starts the child and a loopback listener on a free port, served by a thread of its own.
  bool start();
  uint16_t port() const { return port_; }

 private:
  struct Connection {
    std::unique_ptr<TcpStream> stream;
    std::string pending;
  };

  void serve();
  // False when the connection ended or the child stopped answering.
  bool serveReadable(Connection& connection);
  bool echo(const std::string& line, std::string* reply);

  std::unique_ptr<ChildProcess> child_;
  std::unique_ptr<Pipe> to_child_;
  std::unique_ptr<Pipe> from_child_;
  std::string child_pending_;
  std::unique_ptr<TcpListener> listener_;
  std::vector<Connection> connections_;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  uint16_t port_ = 0;
};

}  // namespace gw::bench
