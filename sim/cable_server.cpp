// Accepting, framing and answering on the simulator's end of the virtual cable.
#include "sim/cable_server.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

#include "platform/posix/errno_result.h"
#include "platform/posix/unix_listener.h"
#include "platform/posix/virtual_cable_port.h"

namespace gw {

ResultCode CableServer::create(SimUps& ups, const std::string& path,
                               std::unique_ptr<CableServer>* server) {
  posix::UniqueFd fd;
  ResultCode rc = posix::listenUnixSocket(path, 4, &fd);
  if (rc != RC_OK) return rc;
  server->reset(new CableServer(ups, std::move(fd), path));
  return RC_OK;
}

CableServer::~CableServer() { ::unlink(path_.c_str()); }

void CableServer::dropConnection() {
  connection_.reset();
  partial_.clear();
  ups_.setOutputLines(0);
}

void CableServer::onListenReadable() {
  int fd = posix::retryEintr(
      [&] { return ::accept4(listener_.get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK); });
  if (fd < 0) return;
  dropConnection();
  connection_.reset(fd);
  last_inputs_ = static_cast<int>(ups_.inputLines());
  sendFrame(posix::kFrameInputs, posix::inputsToWire(static_cast<uint32_t>(last_inputs_)));
}

void CableServer::sendFrame(uint8_t type, uint8_t value) {
  sendFrames(std::string{static_cast<char>(type), static_cast<char>(value)});
}

void CableServer::sendFrames(const std::string& frames) {
  if (!connection_.valid()) return;
  size_t done = 0;
  int stalls = 0;
  while (done < frames.size()) {
    ssize_t n = posix::retryEintr([&] {
      return ::send(connection_.get(), frames.data() + done, frames.size() - done, MSG_NOSIGNAL);
    });
    if (n > 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno == EAGAIN && stalls++ < 50) {
      pollfd p{connection_.get(), POLLOUT, 0};
      (void)::poll(&p, 1, 20);  // the retry finds out
      continue;
    }
    dropConnection();  // a port that stopped reading is as good as unplugged
    return;
  }
}

void CableServer::onConnectionReadable() {
  char buf[512];
  ssize_t n = posix::retryEintr([&] { return ::recv(connection_.get(), buf, sizeof buf, 0); });
  if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)) {
    dropConnection();
    return;
  }
  if (n < 0) return;
  partial_.append(buf, static_cast<size_t>(n));
  // Data bytes go to the UPS in runs; its answers and the line acknowledgements go back as
  // frames in the order they arose.
  std::string data;
  std::string out;
  auto flushData = [&] {
    if (data.empty()) return;
    std::string answer;
    ups_.receive(reinterpret_cast<const uint8_t*>(data.data()), data.size(), &answer);
    data.clear();
    for (char c : answer) {
      out += static_cast<char>(posix::kFrameData);
      out += c;
    }
  };
  size_t i = 0;
  for (; i + 1 < partial_.size(); i += 2) {
    auto type = static_cast<uint8_t>(partial_[i]);
    auto value = static_cast<uint8_t>(partial_[i + 1]);
    if (type == posix::kFrameData) {
      data += static_cast<char>(value);
    } else if (type == posix::kFrameOutputs) {
      flushData();
      ups_.setOutputLines(posix::outputsFromWire(value));
      last_inputs_ = static_cast<int>(ups_.inputLines());
      out += static_cast<char>(posix::kFrameAck);
      out += static_cast<char>(posix::inputsToWire(static_cast<uint32_t>(last_inputs_)));
    }
  }
  partial_.erase(0, i);
  flushData();
  sendFrames(out);
}

void CableServer::tick() {
  ups_.tick();
  if (!connection_.valid()) return;
  int now = static_cast<int>(ups_.inputLines());
  if (now != last_inputs_) {
    last_inputs_ = now;
    sendFrame(posix::kFrameInputs, posix::inputsToWire(static_cast<uint32_t>(now)));
  }
}

}  // namespace gw
