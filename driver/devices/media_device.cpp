// The transaction and connection rules shared by the UPS kinds.
#include "driver/devices/media_device.h"

namespace gw {

MediaDevice::MediaDevice(Media& media, Clock& clock) : media_(media), clock_(clock) {}

ResultCode MediaDevice::getStatus(int n, int32_t* value) {
  if (n < 0 || n >= kStatusCount) return RC_UNSUPPORTED;
  if (!status_known_[static_cast<size_t>(n)]) return RC_NOT_AVAILABLE;
  *value = status_[static_cast<size_t>(n)];
  return RC_OK;
}

void MediaDevice::setStatus(int n, int32_t value) {
  status_[static_cast<size_t>(n)] = value;
  status_known_[static_cast<size_t>(n)] = true;
}

ResultCode MediaDevice::transact(Exchange* e) {
  e->received = 0;
  if (e->command_length > 0) {
    const int written = media_.write(e->command, e->command_length);
    if (written < e->command_length) return RC_SHORT_WRITE;
  }
  if (e->answer_length == Exchange::kWhatever) {
    const int got = media_.read(e->answer, Exchange::kWhatever);
    e->received = got > 0 ? (got < Exchange::kMaxBytes ? got : Exchange::kMaxBytes) : 0;
    return RC_OK;
  }
  if (e->answer_length <= 0) return RC_OK;
  const int wanted =
      e->answer_length < Exchange::kMaxBytes ? e->answer_length : Exchange::kMaxBytes;
  const int got = media_.read(e->answer, wanted);
  e->received = got > 0 ? got : 0;
  return e->received < wanted ? RC_SHORT_REPLY : RC_OK;
}

bool MediaDevice::dsrAsserted() {
  uint32_t flags = 0;
  return media_.getLineStatus(&flags) && (flags & LS_DSR) != 0;
}

bool MediaDevice::connected() {
  if (dsrAsserted()) return true;
  setStatus(STATUS_CONNECT, 0);
  return false;
}

void MediaDevice::recordMedia() {
  values_.setInt(E_PORTTYPE, 2);
  values_.setInt(E_MEDIATYPE, media_.mediaType());
  values_.setInt(E_MEDIAIDX, media_.index());
}

void MediaDevice::startDataLine(int baud) {
  // A line that refuses a setting shows up as failed exchanges right after.
  (void)media_.setBaudRate(baud);
  (void)media_.setLines(LC_RTS, false);
  (void)media_.setLines(LC_DTR, true);
  recordMedia();
  values_.setInt(E_BAUDRATE, baud);
  setStatus(STATUS_CONNECT, 1);
  Exchange clear = Exchange::of("\r\r", Exchange::kWhatever);
  // Whatever answers, or nothing, is fine: this only empties the line.
  (void)transact(&clear);
}

}  // namespace gw
