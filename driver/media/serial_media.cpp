// Serial media: the timing rules a UPS on a serial cable expects.
#include "driver/media/serial_media.h"

#include <cstring>

namespace gw {

MediaPtr SerialMedia::create(Clock& clock, SerialPortOpener opener) {
  return MediaPtr(new SerialMedia(clock, std::move(opener)));
}

SerialMedia::SerialMedia(Clock& clock, SerialPortOpener opener)
    : clock_(clock), opener_(std::move(opener)) {
  media_type_ = kMediaSerial;
}

bool SerialMedia::open(int index) {
  if (port_ || !opener_) return false;
  std::unique_ptr<SerialPort> port;
  if (opener_(index, &port) != RC_OK || !port) return false;
  port_ = std::move(port);
  index_ = index;
  if (port_->configure(1200) != RC_OK) return false;
  if (port_->setModemLines(LC_DTR, true) != RC_OK) return false;
  if (port_->setModemLines(LC_RTS, false) != RC_OK) return false;
  return true;
}

int SerialMedia::write(const uint8_t* bytes, int count) {
  if (!port_ || !bytes || count <= 0) return 0;
  // Stale answers and half-sent commands from an earlier exchange must not mix with this one.
  port_->purge();
  int written = 0;
  for (int i = 0; i < count; ++i) {
    // The UPS's receiver needs the gap between characters.
    if (i > 0) clock_.sleepMs(char_delay_ms_);
    size_t one = 0;
    if (port_->write(bytes + i, 1, &one) != RC_OK || one != 1) break;
    ++written;
  }
  return written;
}

int SerialMedia::read(uint8_t* buffer, int count) {
  if (!port_ || !buffer) return 0;
  if (count == -1) {
    uint8_t area[kMediaReadAllMax];
    size_t total = 0;
    while (total < sizeof area) {
      size_t got = 0;
      if (port_->read(area + total, sizeof area - total, read_timeout_ms_, &got) != RC_OK ||
          got == 0) {
        break;
      }
      total += got;
    }
    std::memcpy(buffer, area, total);
    return static_cast<int>(total);
  }
  if (count <= 0) return 0;
  int total = 0;
  while (total < count) {
    size_t got = 0;
    if (port_->read(buffer + total, static_cast<size_t>(count - total), read_timeout_ms_,
                    &got) != RC_OK ||
        got == 0) {
      break;
    }
    total += static_cast<int>(got);
  }
  return total;
}

bool SerialMedia::setBaudRate(int rate) {
  if (!port_) return false;
  if (port_->baudRate() == rate) return true;
  return port_->setBaudRate(rate) == RC_OK;
}

bool SerialMedia::getLineStatus(uint32_t* flags) {
  if (!port_ || !flags) return false;
  uint32_t signals = 0;
  if (port_->getModemLines(&signals) != RC_OK) return false;
  *flags = signals & (LS_DCD | LS_DSR | LS_CTS | LS_RING);
  return true;
}

bool SerialMedia::setLines(uint32_t mask, bool on) {
  if ((mask & kRefusedLineMask) != 0 || !port_) return false;
  // One line at a time, in this order, so that a port refusing one has changed only those
  // before it.
  for (uint32_t line : {LC_DTR, LC_RTS, LC_BREAK}) {
    if ((mask & line) == 0) continue;
    if (port_->setModemLines(line, on) != RC_OK) return false;
  }
  return true;
}

}  // namespace gw
