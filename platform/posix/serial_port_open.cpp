// openSerialPort: chooses the back-end by what the path names; the numbered ports' paths.
#include <sys/stat.h>

#include <cstdlib>

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

std::string comPortPath(int n) {
  if (n < 1) return "";
  std::string name = "GRIDWATCH_COM" + std::to_string(n);
  const char* set = std::getenv(name.c_str());
  if (set && *set) return set;
  return "/dev/ttyS" + std::to_string(n - 1);
}

ResultCode openComPort(int n, std::unique_ptr<SerialPort>* port) {
  std::string path = comPortPath(n);
  if (path.empty()) return RC_NOT_AVAILABLE;
  return openSerialPort(path, port);
}

}  // namespace gw
