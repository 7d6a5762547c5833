// The port end of the virtual serial cable.
#include "platform/posix/virtual_cable_port.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "platform/clock.h"
#include "platform/posix/errno_result.h"
#include "platform/posix/unix_stream.h"

namespace gw {

uint8_t outputsToWire(uint32_t m) {
  return static_cast<uint8_t>(((m & LC_DTR) ? kWireDtr : 0) | ((m & LC_RTS) ? kWireRts : 0) |
                              ((m & LC_BREAK) ? kWireBreak : 0));
}

uint32_t outputsFromWire(uint8_t w) {
  return ((w & kWireDtr) ? LC_DTR : 0u) | ((w & kWireRts) ? LC_RTS : 0u) |
         ((w & kWireBreak) ? LC_BREAK : 0u);
}

uint8_t inputsToWire(uint32_t m) {
  return static_cast<uint8_t>(((m & LS_DCD) ? kWireDcd : 0) | ((m & LS_DSR) ? kWireDsr : 0) |
                              ((m & LS_CTS) ? kWireCts : 0) |
                              ((m & LS_RING) ? kWireRing : 0));
}

uint32_t inputsFromWire(uint8_t w) {
  return ((w & kWireDcd) ? LS_DCD : 0u) | ((w & kWireDsr) ? LS_DSR : 0u) |
         ((w & kWireCts) ? LS_CTS : 0u) | ((w & kWireRing) ? LS_RING : 0u);
}

}  // namespace gw

namespace gw::posix {

ResultCode VirtualCablePort::open(const std::string& path, std::unique_ptr<SerialPort>* port) {
  UniqueFd fd;
  ResultCode rc = connectUnixSocket(path, &fd);
  if (rc != RC_OK) return rc;
  port->reset(new VirtualCablePort(std::move(fd)));
  return RC_OK;
}

ResultCode VirtualCablePort::configure(int baud) { return setBaudRate(baud); }

ResultCode VirtualCablePort::setBaudRate(int baud) {
  // The cable moves bytes at its own pace; the rate is only remembered.
  if (baud <= 0) return RC_BAD_VALUE;
  baud_ = baud;
  return RC_OK;
}

void VirtualCablePort::takeFrames() {
  size_t i = 0;
  for (; i + 1 < partial_.size(); i += 2) {
    auto type = static_cast<uint8_t>(partial_[i]);
    auto value = static_cast<uint8_t>(partial_[i + 1]);
    switch (type) {
      case kFrameData:
        data_ += static_cast<char>(value);
        break;
      case kFrameAck:
        inputs_ = inputsFromWire(value);
        ++acks_;
        break;
      case kFrameInputs:
        inputs_ = inputsFromWire(value);
        break;
      default:
        break;  // a frame type this end does not know
    }
  }
  partial_.erase(0, i);
}

bool VirtualCablePort::pump(int timeout_ms) {
  if (broken_) return false;
  // A close or a failure means the UPS end is gone.
  if (!receiveWaiting(fd_.get(), timeout_ms, &partial_)) broken_ = true;
  takeFrames();
  return !broken_;
}

ResultCode VirtualCablePort::read(void* buffer, size_t count, int timeout_ms, size_t* got) {
  Clock& clock = systemClock();
  int64_t deadline = clock.monotonicMs() + (timeout_ms > 0 ? timeout_ms : 0);
  while (data_.empty()) {
    int64_t left = deadline - clock.monotonicMs();
    if (!pump(left > 0 ? static_cast<int>(left) : 0)) {
      if (!data_.empty()) break;
      return RC_LINE_FAILURE;
    }
    if (left <= 0) break;
  }
  size_t n = std::min(count, data_.size());
  std::memcpy(buffer, data_.data(), n);
  data_.erase(0, n);
  *got = n;
  return RC_OK;
}

bool VirtualCablePort::sendAll(const std::string& frames) {
  size_t done = 0;
  Clock& clock = systemClock();
  int64_t deadline = clock.monotonicMs() + kAckTimeoutMs;
  while (done < frames.size()) {
    ssize_t n = retryEintr([&] {
      return ::send(fd_.get(), frames.data() + done, frames.size() - done, MSG_NOSIGNAL);
    });
    if (n > 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      int64_t left = deadline - clock.monotonicMs();
      if (left <= 0) return false;
      pollfd p{fd_.get(), POLLOUT, 0};
      (void)::poll(&p, 1, static_cast<int>(left));  // the next send tells whether room appeared
      continue;
    }
    broken_ = true;
    return false;
  }
  return true;
}

ResultCode VirtualCablePort::write(const void* bytes, size_t count, size_t* written) {
  if (broken_) {
    *written = 0;
    return RC_LINE_FAILURE;
  }
  std::string frames;
  frames.reserve(count * 2);
  const auto* p = static_cast<const uint8_t*>(bytes);
  for (size_t i = 0; i < count; ++i) {
    frames += static_cast<char>(kFrameData);
    frames += static_cast<char>(p[i]);
  }
  bool ok = sendAll(frames);
  *written = ok ? count : 0;
  return ok ? RC_OK : RC_SHORT_WRITE;
}

void VirtualCablePort::purge() {
  (void)pump(0);  // a broken cable shows at the next read or line access
  data_.clear();
}

ResultCode VirtualCablePort::getModemLines(uint32_t* signals) {
  if (!pump(0)) return RC_LINE_FAILURE;
  *signals = inputs_;
  return RC_OK;
}

ResultCode VirtualCablePort::setModemLines(uint32_t mask, bool on) {
  if ((mask & ~(LC_DTR | LC_RTS | LC_BREAK)) != 0) return RC_BAD_VALUE;
  uint32_t next = on ? (outputs_ | mask) : (outputs_ & ~mask);
  std::string frame{static_cast<char>(kFrameOutputs), static_cast<char>(outputsToWire(next))};
  uint64_t want = acks_ + 1;
  if (!sendAll(frame)) return RC_LINE_FAILURE;
  outputs_ = next;
  Clock& clock = systemClock();
  int64_t deadline = clock.monotonicMs() + kAckTimeoutMs;
  while (acks_ < want) {
    int64_t left = deadline - clock.monotonicMs();
    if (left <= 0 || !pump(static_cast<int>(left))) return RC_LINE_FAILURE;
  }
  return RC_OK;
}

}  // namespace gw::posix
