// A pseudo-terminal whose far end a serial-port user opens by its device path, while this end
// reads and answers: the simulator's stand-in for a serial cable.
#pragma once

#include <memory>
#include <string>

#include "common/result_code.h"
#include "platform/nonblocking_stream.h"

namespace gw {

// The stream is this end. The port end is kept open here too, raw, so that this end never sees
// a hang-up while the user closes and reopens the port, and no line discipline alters the bytes
// before the user configures the line. A pseudo-terminal has no modem lines.
class PseudoTerminal : public NonBlockingStream {
 public:
  // The path of the port end.
  virtual const std::string& devicePath() const = 0;
};

// RC_NOT_AVAILABLE when the system gives no pseudo-terminal.
[[nodiscard]] ResultCode openPseudoTerminal(std::unique_ptr<PseudoTerminal>* terminal);

}  // namespace gw
