// A serial port: line settings, timed reads, writes, purge, and the modem control lines.
//
// A path may name a real tty, a pseudo-terminal, or the simulator's virtual serial cable (a Unix
// socket that carries the control lines too). openSerialPort chooses the back-end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "common/result_code.h"

namespace gw {

// Modem input signals, as getModemLines reports them (and the media's getLineStatus).
enum LineStatus : uint32_t {
  LS_DCD = 0x01,
  LS_DSR = 0x20,
  LS_CTS = 0x80,
  LS_RING = 0x100,
};

// Modem output signals, as driven by setModemLines (and the media's setLines).
enum LineControl : uint32_t {
  LC_BREAK = 0x04,
  LC_DTR = 0x08,
  LC_RTS = 0x40,
};

class SerialPort {
 public:
  SerialPort() = default;
  SerialPort(const SerialPort&) = delete;
  SerialPort& operator=(const SerialPort&) = delete;
  virtual ~SerialPort() = default;  // closes the port

  // 8 data bits, no parity, 1 stop bit, raw, no flow control, at the given rate.
  [[nodiscard]] virtual ResultCode configure(int baud) = 0;
  [[nodiscard]] virtual ResultCode setBaudRate(int baud) = 0;
  virtual int baudRate() const = 0;

  // Waits at most timeout_ms for the first byte, then returns what is waiting, at most `count`.
  // RC_OK with *got (0 after a time-out); RC_LINE_FAILURE when the port failed.
  [[nodiscard]] virtual ResultCode read(void* buffer, size_t count, int timeout_ms,
                                        size_t* got) = 0;
  [[nodiscard]] virtual ResultCode write(const void* bytes, size_t count, size_t* written) = 0;
  // Discards what is queued in both directions.
  virtual void purge() = 0;

  // Modem lines. `signals` uses kModem* input bits; `mask` output bits.
  [[nodiscard]] virtual ResultCode getModemLines(uint32_t* signals) = 0;
  [[nodiscard]] virtual ResultCode setModemLines(uint32_t mask, bool on) = 0;
};

// Opens the path. RC_NOT_AVAILABLE when it does not exist or is busy.
[[nodiscard]] ResultCode openSerialPort(const std::string& path, std::unique_ptr<SerialPort>* port);

// The device path for the numbered port COM<n>: $GRIDWATCH_COM<n> when set and not empty, else
// /dev/ttyS<n-1>. Empty for n < 1.
std::string comPortPath(int n);

// openSerialPort(comPortPath(n)); RC_NOT_AVAILABLE for n < 1.
[[nodiscard]] ResultCode openComPort(int n, std::unique_ptr<SerialPort>* port);

}  // namespace gw
