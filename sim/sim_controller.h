// The control commands of the simulator, one text line in, one reply line out. The terminal
// and the control socket both speak them.
//
//   help                      the command list
//   status                    "OK kind=... model=... mains=on|off output=on|off in=<V> out=<V>
//                             hz=<Hz> load=<%> battery=<%> low=0|1 temp=<C> test=0|1
//                             sleep=0|1 wake=0|1 alarm=0|1 cable=plugged|pulled lines=<LC bits>"
//   mains fail|off|restore|on power failure and return
//   battery low|ok|<percent>  force the low signal / clear it (charging to at least 50 %) /
//                             set the charge
//   load <percent>            volts <V>      freq <Hz>      temp <C>
//   drain on|off              battery drain and charge with time
//   output on|off             switch the output at once (clears any schedule)
//   cable pull|plug           disconnect or reconnect the cable
//   model <name>              another model of the same kind; "models" lists them
//   fault dsr-follows-dtr on|off   contact closure: a loop-back cable fault
//   fault garble on|off       a noisy line: the last byte of every answer is corrupted
//   received [count]          "OK <n> <entry> <entry> ..." (entries as in the command log),
//                             oldest first; with a count only the newest that many
//   clear                     forgets what was received
// Replies begin with "OK" or with "ERR " and a reason. Commands are case-sensitive; blanks
// separate words.
#pragma once

#include <string>

#include "sim/sim_ups.h"

namespace gw {

class SimController {
 public:
  // The UPS must outlive the controller.
  explicit SimController(SimUps& ups) : ups_(ups) {}

  // Runs one command line (without its line feed; a trailing CR is ignored) and returns the
  // reply line without its line feed.
  std::string execute(const std::string& line);

 private:
  SimUps& ups_;
};

}  // namespace gw
