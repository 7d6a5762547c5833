// Pseudo-terminal transport of the simulator.
#include "sim/pty_endpoint.h"

namespace gw {

ResultCode PtyEndpoint::create(SimUps& ups, std::unique_ptr<PtyEndpoint>* endpoint) {
  std::unique_ptr<PseudoTerminal> terminal;
  ResultCode rc = openPseudoTerminal(&terminal);
  if (rc != RC_OK) return rc;
  endpoint->reset(new PtyEndpoint(ups, std::move(terminal)));
  return RC_OK;
}

void PtyEndpoint::onReadable() {
  char buf[256];
  size_t n = 0;
  if (terminal_->receive(buf, sizeof buf, &n) != RC_OK) return;
  std::string answer;
  ups_.receive(reinterpret_cast<const uint8_t*>(buf), n, &answer);
  // A port that does not read its input for a while loses the answer, as on a real line.
  (void)sendAll(*terminal_, answer, 5, 20);
}

}  // namespace gw
