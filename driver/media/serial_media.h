// The serial-port Media (type 2): COM<n> on the platform's SerialPort.
//
// Line: 1200 baud, 8N1, raw, no flow control, DTR on and RTS off after open(). Reads wait about
// readTimeoutMs (120 ms) for each first byte and return at once with what is waiting; writes
// purge both directions first and pace the bytes charDelayMs (50 ms) apart, with no pause after
// the last. All pauses go through the Clock given at construction. Single-threaded.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "driver/media/media.h"
#include "platform/clock.h"
#include "platform/serial_port.h"

namespace gw {

// Opens the port that stands for COM<n>; the default is openComPort.
using SerialPortOpener = std::function<ResultCode(int n, std::unique_ptr<SerialPort>* port)>;

class SerialMedia final : public Media {
 public:
  // Creates a closed media. The clock must outlive it. Free it with release().
  static MediaPtr create(Clock& clock, SerialPortOpener opener = openComPort);

  // Opens COM<index> and sets the line. False when the port cannot be opened (no port is held
  // then) or a setting fails (the port stays held until release()). A second open fails.
  bool open(int index) override;
  int write(const uint8_t* bytes, int count) override;
  // count > 0: until count bytes, a read that brings nothing, or a failure. count = -1: into a
  // kMediaReadAllMax area until the line goes quiet; `buffer` must hold kMediaReadAllMax bytes.
  int read(uint8_t* buffer, int count) override;
  bool setBaudRate(int rate) override;
  bool getLineStatus(uint32_t* flags) override;
  // DTR, RTS and break, in this order; false at the first failure, or at once for any bit of
  // kRefusedLineMask.
  bool setLines(uint32_t mask, bool on) override;

  // The port, for tests; null while closed.
  SerialPort* port() const { return port_.get(); }

 private:
  SerialMedia(Clock& clock, SerialPortOpener opener);
  ~SerialMedia() override = default;

  Clock& clock_;
  SerialPortOpener opener_;
  std::unique_ptr<SerialPort> port_;
};

}  // namespace gw
