// Pseudo-terminal transport of the simulator.
#include "sim/pty_endpoint.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include "platform/posix/errno_result.h"

namespace gw {

ResultCode PtyEndpoint::create(SimUps& ups, std::unique_ptr<PtyEndpoint>* endpoint) {
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
    (void)::tcsetattr(slave.get(), TCSANOW, &t);  // porter configures the line itself anyway
  }
  endpoint->reset(new PtyEndpoint(ups, std::move(master), std::move(slave), path));
  return RC_OK;
}

void PtyEndpoint::onReadable() {
  uint8_t buf[256];
  ssize_t n = posix::retryEintr([&] { return ::read(master_.get(), buf, sizeof buf); });
  if (n <= 0) return;
  std::string answer;
  ups_.receive(buf, static_cast<size_t>(n), &answer);
  size_t done = 0;
  int stalls = 0;
  while (done < answer.size()) {
    ssize_t w = posix::retryEintr(
        [&] { return ::write(master_.get(), answer.data() + done, answer.size() - done); });
    if (w > 0) {
      done += static_cast<size_t>(w);
      continue;
    }
    // A port that does not read its input for a while loses the answer, as on a real line.
    if (w < 0 && errno == EAGAIN && stalls++ < 5) {
      pollfd p{master_.get(), POLLOUT, 0};
      (void)::poll(&p, 1, 20);  // the retry finds out
      continue;
    }
    break;
  }
}

}  // namespace gw
