// The simulator's end of a pseudo-terminal: porter opens the device path as its serial device,
// the UPS reads and answers on this end.
//
// A pseudo-terminal has no modem lines; the port end reports them asserted, so "pulling the
// cable" here only silences the UPS.
#pragma once

#include <memory>
#include <string>

#include "common/result_code.h"
#include "platform/pseudo_terminal.h"
#include "sim/sim_ups.h"

namespace gw {

class PtyEndpoint {
 public:
  // RC_NOT_AVAILABLE when the system gives no pseudo-terminal.
  [[nodiscard]] static ResultCode create(SimUps& ups, std::unique_ptr<PtyEndpoint>* endpoint);

  const std::string& devicePath() const { return terminal_->devicePath(); }
  int pollFd() const { return static_cast<int>(terminal_->pollHandle()); }
  // Reads what the port sent and writes the UPS's answer back. Call when pollFd is readable.
  void onReadable();
  void tick() { ups_.tick(); }

 private:
  PtyEndpoint(SimUps& ups, std::unique_ptr<PseudoTerminal> terminal)
      : ups_(ups), terminal_(std::move(terminal)) {}

  SimUps& ups_;
  std::unique_ptr<PseudoTerminal> terminal_;
};

}  // namespace gw
