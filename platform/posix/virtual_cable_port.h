// SerialPort over a virtual serial cable: a Unix stream socket whose far end is a simulated
// UPS. Unlike a pseudo-terminal, the cable carries the modem control lines too.
//
// The framing is in platform/virtual_cable.h. setModemLines waits (at most kAckTimeoutMs) for
// the 'A', so a line read after it sees the UPS's response to the change, as on a real cable.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/posix/unique_fd.h"
#include "platform/serial_port.h"
#include "platform/virtual_cable.h"

namespace gw::posix {

class VirtualCablePort final : public SerialPort {
 public:
  static constexpr int kAckTimeoutMs = 1000;

  // Connects to the socket at `path`. RC_NOT_AVAILABLE when nothing listens there.
  [[nodiscard]] static ResultCode open(const std::string& path,
                                       std::unique_ptr<SerialPort>* port);

  ResultCode configure(int baud) override;
  ResultCode setBaudRate(int baud) override;
  int baudRate() const override { return baud_; }
  // RC_LINE_FAILURE once the UPS end has closed the cable.
  ResultCode read(void* buffer, size_t count, int timeout_ms, size_t* got) override;
  ResultCode write(const void* bytes, size_t count, size_t* written) override;
  void purge() override;
  ResultCode getModemLines(uint32_t* signals) override;
  // Only DTR, RTS and break (RC_BAD_VALUE otherwise); RC_LINE_FAILURE without an answer.
  ResultCode setModemLines(uint32_t mask, bool on) override;

 private:
  explicit VirtualCablePort(UniqueFd fd) : fd_(std::move(fd)) {}
  // Waits at most timeout_ms for frames and takes in whatever is there. False when the cable
  // broke.
  bool pump(int timeout_ms);
  void takeFrames();
  bool sendAll(const std::string& frames);

  UniqueFd fd_;
  std::string partial_;  // received bytes not yet a whole frame
  std::string data_;     // received data bytes not yet read
  uint32_t inputs_ = 0;
  uint32_t outputs_ = 0;
  uint64_t acks_ = 0;
  bool broken_ = false;
  int baud_ = 0;
};

}  // namespace gw::posix
