// termios serial line: raw 8N1, reads bounded by poll(2), modem lines through TIOCM* ioctls.
#include "platform/posix/tty_serial_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "platform/clock.h"
#include "platform/posix/errno_result.h"

namespace gw::posix {
namespace {

bool speedFor(int baud, speed_t* speed) {
  switch (baud) {
    case 300: *speed = B300; return true;
    case 600: *speed = B600; return true;
    case 1200: *speed = B1200; return true;
    case 2400: *speed = B2400; return true;
    case 4800: *speed = B4800; return true;
    case 9600: *speed = B9600; return true;
    case 19200: *speed = B19200; return true;
    case 38400: *speed = B38400; return true;
    case 57600: *speed = B57600; return true;
    case 115200: *speed = B115200; return true;
    default: return false;
  }
}

// Errors that mean "this terminal has no modem control lines", not "the line failed".
bool noModemLines(int err) { return err == ENOTTY || err == EINVAL; }

}  // namespace

ResultCode TtySerialPort::open(const std::string& path, std::unique_ptr<SerialPort>* port) {
  // Non-blocking so that opening does not wait for carrier, and reads never block.
  int fd = retryEintr(
      [&] { return ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC); });
  if (fd < 0) return RC_NOT_AVAILABLE;  // missing, busy or refused: the candidate is skipped
  UniqueFd owner(fd);
  if (!::isatty(fd)) return RC_NOT_AVAILABLE;
  // The port is not shared: a second user of the same line would steal the UPS's answers.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return RC_NOT_AVAILABLE;
  int lines = 0;
  bool has_lines = ::ioctl(fd, TIOCMGET, &lines) == 0 || !noModemLines(errno);
  port->reset(new TtySerialPort(std::move(owner), has_lines));
  return RC_OK;
}

ResultCode TtySerialPort::configure(int baud) {
  speed_t speed;
  if (!speedFor(baud, &speed)) return RC_BAD_VALUE;
  termios t{};
  if (::tcgetattr(fd_.get(), &t) != 0) return RC_LINE_FAILURE;
  ::cfmakeraw(&t);
  t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
  t.c_cflag |= CS8 | CLOCAL | CREAD;
  t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | INPCK | ISTRIP);
  // Timing comes from poll(2); a read takes what is waiting and returns.
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
  if (::cfsetispeed(&t, speed) != 0 || ::cfsetospeed(&t, speed) != 0) return RC_BAD_VALUE;
  if (::tcsetattr(fd_.get(), TCSANOW, &t) != 0) return RC_LINE_FAILURE;
  baud_ = baud;
  return RC_OK;
}

ResultCode TtySerialPort::setBaudRate(int baud) {
  speed_t speed;
  if (!speedFor(baud, &speed)) return RC_BAD_VALUE;
  termios t{};
  if (::tcgetattr(fd_.get(), &t) != 0) return RC_LINE_FAILURE;
  if (::cfsetispeed(&t, speed) != 0 || ::cfsetospeed(&t, speed) != 0) return RC_BAD_VALUE;
  if (::tcsetattr(fd_.get(), TCSANOW, &t) != 0) return RC_LINE_FAILURE;
  baud_ = baud;
  return RC_OK;
}

ResultCode TtySerialPort::read(void* buffer, size_t count, int timeout_ms, size_t* got) {
  if (count == 0) {
    *got = 0;
    return RC_OK;
  }
  Clock& clock = systemClock();
  int64_t deadline = clock.monotonicMs() + (timeout_ms > 0 ? timeout_ms : 0);
  for (;;) {
    int64_t left = deadline - clock.monotonicMs();
    pollfd p{fd_.get(), POLLIN, 0};
    int r = ::poll(&p, 1, left > 0 ? static_cast<int>(left) : 0);
    if (r < 0) {
      if (errno == EINTR) continue;
      return RC_LINE_FAILURE;
    }
    if (r == 0) {
      *got = 0;
      return RC_OK;
    }
    ssize_t n = retryEintr([&] { return ::read(fd_.get(), buffer, count); });
    if (n > 0) {
      *got = static_cast<size_t>(n);
      return RC_OK;
    }
    if (n < 0 && errno != EAGAIN) return RC_LINE_FAILURE;  // EIO: the other side hung up
    // Readiness without data: wait out the rest of the time rather than spin.
    if (left <= 0) {
      *got = 0;
      return RC_OK;
    }
    if ((p.revents & (POLLHUP | POLLERR)) != 0) return RC_LINE_FAILURE;
  }
}

ResultCode TtySerialPort::write(const void* bytes, size_t count, size_t* written) {
  const uint8_t* p = static_cast<const uint8_t*>(bytes);
  size_t done = 0;
  int stalls = 0;
  while (done < count) {
    ssize_t n = retryEintr([&] { return ::write(fd_.get(), p + done, count - done); });
    if (n > 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    // A full output queue that does not drain within a second is a stuck line.
    if (n < 0 && errno == EAGAIN && stalls++ < 10) {
      pollfd pf{fd_.get(), POLLOUT, 0};
      (void)::poll(&pf, 1, 100);  // the retry below finds out whether room appeared
      continue;
    }
    break;
  }
  *written = done;
  return done == count ? RC_OK : RC_SHORT_WRITE;
}

void TtySerialPort::purge() {
  (void)::tcflush(fd_.get(), TCIOFLUSH);  // a failed flush leaves stale bytes, nothing worse
}

ResultCode TtySerialPort::getModemLines(uint32_t* signals) {
  if (!has_modem_lines_) {
    *signals = LS_DCD | LS_DSR | LS_CTS;
    return RC_OK;
  }
  int lines = 0;
  if (::ioctl(fd_.get(), TIOCMGET, &lines) != 0) return RC_LINE_FAILURE;
  uint32_t s = 0;
  if (lines & TIOCM_CAR) s |= LS_DCD;
  if (lines & TIOCM_DSR) s |= LS_DSR;
  if (lines & TIOCM_CTS) s |= LS_CTS;
  if (lines & TIOCM_RNG) s |= LS_RING;
  *signals = s;
  return RC_OK;
}

ResultCode TtySerialPort::setModemLines(uint32_t mask, bool on) {
  if ((mask & ~(LC_DTR | LC_RTS | LC_BREAK)) != 0) return RC_BAD_VALUE;
  int bits = 0;
  if (mask & LC_DTR) bits |= TIOCM_DTR;
  if (mask & LC_RTS) bits |= TIOCM_RTS;
  if (bits != 0 && has_modem_lines_) {
    if (::ioctl(fd_.get(), on ? TIOCMBIS : TIOCMBIC, &bits) != 0) return RC_LINE_FAILURE;
  }
  if (mask & LC_BREAK) {
    if (::ioctl(fd_.get(), on ? TIOCSBRK : TIOCCBRK) != 0) return RC_LINE_FAILURE;
  }
  if (on) {
    driven_lines_ |= mask;
  } else {
    driven_lines_ &= ~mask;
  }
  return RC_OK;
}

}  // namespace gw::posix
