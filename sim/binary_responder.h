// The binary protocol at 1200 baud, as the UPS answers it.
//
// Commands (each ends with a carriage return; "b" is one raw byte, which may itself be 0x0D, so
// commands are framed by their length, not by the carriage return):
//   "D"                 14 bytes: "#", r1 r2 r3, ".", r5 r6 r7, ".", status, ~status, 0x00,
//                       0xFF, CR
//   "F"                 21 bytes: ".", name (10, blank-padded), ".", volts, ".", hertz, ".",
//                       firmware c0, c1 c2 c3, CR
//   "N"                 22 bytes: ".", maker (20, blank-padded), CR
//   "R" reg             "R", raw register byte
//   "Q" reg b           "Q" reg b (the register takes b when it is a setting)
//   "T" b               self-test for b ticks of 131 ms; answers "T" b
//   "CT"                cancels the self-test; answers "CT"
//   "CS"                cancels a pending sleep or shutdown; answers "CS" and five CRs, so that
//                       a reader of 2, 4 or 7 bytes is satisfied (the rest is purged by the
//                       port's next write)
//   "S" hi lo "W"       output off after (hi lo) ticks, back when mains returns; answers the
//                       four bytes before the CR
//   "S" hi lo "R" a b c output off after (hi lo) ticks and on again (a b c) ticks after the
//                       command; answers the seven bytes before the CR
//   "B"                 toggles the alarm enable; answers "B"
// A lone CR is ignored. A command whose last byte is not CR, or an unknown byte run (up to the
// next CR), is recorded and not answered.
//
// Status byte: bit 7 mains failure, bit 6 battery low, bit 2 self-test running, bit 1 waiting to
// sleep, bit 0 beeping; bits 4 and 5 (the output ratio) stay 0, the output follows the input.
// Models whose driver clears a mains-failure flag seen during a self-test raise it then.
//
// Registers: 2, 4, 8 and 24 hold the signed setting codes of the four thresholds (0, the
// factory default, at start); 15 the flags (bit 0 set = no auto restart, bit 1 cold start,
// bit 4 sensitivity; auto restart on at start); 41, 43 and 61 the identity (line class, voltage
// variant, AVR in bit 4), read-only. Any other register reads 0. A written code is taken as it
// comes: the driver, not the UPS, checks it against its table.
#pragma once

#include <array>
#include <string>

#include "platform/clock.h"
#include "sim/command_log.h"
#include "sim/responder.h"
#include "sim/ups_model.h"

namespace gw {

class BinaryResponder final : public Responder {
 public:
  static constexpr int64_t kTickMs = 131;

  // All three must outlive the responder.
  BinaryResponder(UpsModel& model, CommandLog& log, Clock& clock);

  void receive(const uint8_t* bytes, size_t count, std::string* answer) override;
  uint32_t inputLines() override;
  void tick() override;

  // The register as the UPS holds it now (identity registers follow the model's profile).
  uint8_t registerValue(int reg) const;

 private:
  // Bytes the command at the front of pending_ needs: 0 = not known yet, -1 = not a command.
  int commandLength() const;
  void answer(const std::string& command, std::string* out);
  std::string statusAnswer();
  std::string identityAnswer() const;
  std::string makerAnswer() const;
  void dropStale();

  UpsModel& model_;
  CommandLog& log_;
  Clock& clock_;
  std::string pending_;
  int64_t last_byte_ms_ = 0;
  std::array<uint8_t, 256> registers_{};
};

}  // namespace gw
