// A pseudo-terminal pair for serial-port tests: the test plays the UPS on the master end and
// the code under test opens the slave path like a serial device.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <string>

namespace gw {

class PtyPair {
 public:
  PtyPair() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0) return;
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
      closeMaster();
      return;
    }
    const char* name = ::ptsname(master_);
    if (name) slave_path_ = name;
  }
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;
  ~PtyPair() { closeMaster(); }

  bool ok() const { return master_ >= 0 && !slave_path_.empty(); }
  const std::string& slavePath() const { return slave_path_; }
  int master() const { return master_; }

  // Writes bytes as the far end of the line.
  bool send(const std::string& bytes) {
    return ::write(master_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  }
  // Reads what the far end has received within timeout_ms of the first byte's wait.
  std::string receive(int timeout_ms) {
    std::string out;
    pollfd p{master_, POLLIN, 0};
    if (::poll(&p, 1, timeout_ms) <= 0) return out;
    char buf[256];
    ssize_t n = ::read(master_, buf, sizeof buf);
    if (n > 0) out.assign(buf, static_cast<size_t>(n));
    return out;
  }
  void closeMaster() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
  }

 private:
  int master_ = -1;
  std::string slave_path_;
};

}  // namespace gw
