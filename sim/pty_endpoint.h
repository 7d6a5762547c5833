// The simulator's end of a pseudo-terminal: porter opens the slave path as its serial device,
// the UPS reads and answers on the master.
//
// The simulator keeps the slave open itself, raw, so that the master never sees a hang-up
// while porter closes and reopens the port, and bytes are not altered by a line discipline
// before porter configures the line. A pseudo-terminal has no modem lines; the port end
// reports them asserted, so "pulling the cable" here only silences the UPS.
#pragma once

#include <memory>
#include <string>

#include "common/result_code.h"
#include "platform/posix/unique_fd.h"
#include "sim/sim_ups.h"

namespace gw {

class PtyEndpoint {
 public:
  // RC_NOT_AVAILABLE when the system gives no pseudo-terminal.
  [[nodiscard]] static ResultCode create(SimUps& ups, std::unique_ptr<PtyEndpoint>* endpoint);

  const std::string& devicePath() const { return slave_path_; }
  int pollFd() const { return master_.get(); }
  // Reads what the port sent and writes the UPS's answer back. Call when pollFd is readable.
  void onReadable();
  void tick() { ups_.tick(); }

 private:
  PtyEndpoint(SimUps& ups, posix::UniqueFd master, posix::UniqueFd slave, std::string path)
      : ups_(ups), master_(std::move(master)), slave_(std::move(slave)),
        slave_path_(std::move(path)) {}

  SimUps& ups_;
  posix::UniqueFd master_;
  posix::UniqueFd slave_;
  std::string slave_path_;
};

}  // namespace gw
