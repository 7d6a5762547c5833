// openSerialPort: chooses the back-end by what the path names.
#include <sys/stat.h>

#include "platform/posix/tty_serial_port.h"
#include "platform/posix/virtual_cable_port.h"
#include "platform/serial_port.h"

namespace gw {

ResultCode openSerialPort(const std::string& path, std::unique_ptr<SerialPort>* port) {
  struct stat st {};
  if (path.empty() || ::stat(path.c_str(), &st) != 0) return RC_NOT_AVAILABLE;
  // The simulator's virtual serial cable: a Unix socket carrying bytes and control lines.
  if (S_ISSOCK(st.st_mode)) return posix::VirtualCablePort::open(path, port);
  if (S_ISCHR(st.st_mode)) return posix::TtySerialPort::open(path, port);
  return RC_NOT_AVAILABLE;
}

}  // namespace gw
