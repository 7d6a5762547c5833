// Pseudo-terminals from posix_openpt, with the port end held open and raw.
#include "platform/pseudo_terminal.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>

#include "platform/posix/fd_stream.h"

namespace gw {
namespace {

class PosixPseudoTerminal final : public PseudoTerminal {
 public:
  PosixPseudoTerminal(posix::UniqueFd master, posix::UniqueFd slave, std::string path)
      : master_(std::move(master), posix::FdStream::Kind::kTerminal),
        slave_(std::move(slave)),
        path_(std::move(path)) {}

  const std::string& devicePath() const override { return path_; }
  intptr_t pollHandle() const override { return master_.pollHandle(); }
  ResultCode receive(char* buffer, size_t capacity, size_t* got) override {
    return master_.receive(buffer, capacity, got);
  }
  ResultCode send(const char* data, size_t size, size_t* sent) override {
    return master_.send(data, size, sent);
  }
  void waitWritable(int timeout_ms) override { master_.waitWritable(timeout_ms); }

 private:
  posix::FdStream master_;
  posix::UniqueFd slave_;
  std::string path_;
};

}  // namespace

ResultCode openPseudoTerminal(std::unique_ptr<PseudoTerminal>* terminal) {
  posix::UniqueFd master(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK));
  if (!master.valid() || ::grantpt(master.get()) != 0 || ::unlockpt(master.get()) != 0) {
    return RC_NOT_AVAILABLE;
  }
  const char* name = ::ptsname(master.get());
  if (!name) return RC_NOT_AVAILABLE;
  std::string path = name;
  posix::UniqueFd slave(::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK));
  if (!slave.valid()) return RC_NOT_AVAILABLE;
  termios t{};
  if (::tcgetattr(slave.get(), &t) == 0) {
    ::cfmakeraw(&t);
    (void)::tcsetattr(slave.get(), TCSANOW, &t);  // the port's user configures the line anyway
  }
  *terminal = std::make_unique<PosixPseudoTerminal>(std::move(master), std::move(slave), path);
  return RC_OK;
}

}  // namespace gw
