// SerialPort over a termios terminal device: a real serial line or a pseudo-terminal.
//
// A pseudo-terminal has no modem lines (the kernel answers TIOCMGET/TIOCMBIS/TIOCMBIC with
// ENOTTY). Such a port behaves as a cable with a UPS attached: getModemLines reports DCD, DSR and
// CTS asserted, and setModemLines accepts DTR and RTS and only records them. Break is still
// passed to the kernel, which accepts and ignores it on a pseudo-terminal. The kernel also
// ignores the baud rate there; baudRate() reports the rate last set through this object.
#pragma once

#include <memory>
#include <string>

#include "platform/posix/unique_fd.h"
#include "platform/serial_port.h"

namespace gw::posix {

class TtySerialPort final : public SerialPort {
 public:
  // Opens the terminal at `path` for reading and writing, exclusively (a second open of the
  // same path through this class fails while the first is alive). RC_NOT_AVAILABLE when the path
  // is missing, busy or not a terminal. The line is not configured yet: call configure().
  [[nodiscard]] static ResultCode open(const std::string& path,
                                       std::unique_ptr<SerialPort>* port);

  ResultCode configure(int baud) override;
  ResultCode setBaudRate(int baud) override;
  int baudRate() const override { return baud_; }
  ResultCode read(void* buffer, size_t count, int timeout_ms, size_t* got) override;
  ResultCode write(const void* bytes, size_t count, size_t* written) override;
  void purge() override;
  ResultCode getModemLines(uint32_t* signals) override;
  ResultCode setModemLines(uint32_t mask, bool on) override;

  // False for a pseudo-terminal: modem lines are simulated as described above.
  bool hasModemLines() const { return has_modem_lines_; }
  // The output lines (LC_DTR, LC_RTS, LC_BREAK) as last driven through this object.
  uint32_t drivenLines() const { return driven_lines_; }

 private:
  TtySerialPort(UniqueFd fd, bool has_modem_lines)
      : fd_(std::move(fd)), has_modem_lines_(has_modem_lines) {}

  UniqueFd fd_;
  bool has_modem_lines_;
  int baud_ = 0;
  uint32_t driven_lines_ = 0;
};

}  // namespace gw::posix
