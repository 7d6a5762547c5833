// The text protocol at 2400 baud, as the UPS answers it. Every command ends with a carriage
// return; every answer begins with "#" and ends with one.
//
//   "D"          "#I<in>O<out>L<load>B<capacity>T<temp>F<hz>S<s><x>": numbers in decimal with one
//                fraction digit (a hex model writes the whole part in lower-case hexadecimal);
//                s has bit 7 always set (so it is never a tag letter), bit 6
//                mains failure, bit 5 battery low, bit 4 beeping, bit 3 self-test, bit 2 waiting
//                to sleep, bit 1 waiting to wake up; x is 0x80
//   "P1"         BATOUT, INPUTHI, INPUTLO, BATTERYLO in force, comma-separated
//   "P2"         VA, watts, nominal volts, lowest and highest frequency
//   "P3"         battery volts, battery count, ampere-hours, external packs
//   "P4"         model, firmware, serial, maker
//   "P5".."P8"   the allowed BATOUT, INPUTHI, INPUTLO, BATTERYLO values, comma-separated
//   "P9"         three flag characters, top bit set: a (bit 6 AVR, bit 5 on-line technology,
//                bit 4 clear, bit 3 set for a hex model), 0x80, b (bit 6 cold start,
//                bit 5 auto restart, bit 4 alarm enabled)
//   "C<reg>:<v>" a setting (1 BATOUT, 2 INPUTHI, 3 INPUTLO, 4 BATTERYLO, 5 cold start, 6 auto
//                restart, 7 alarm: 0 off, 1 on, 2 toggle); "#0" taken, "#1" refused (a value
//                not in the allowed list, or an unknown register)
//   "T<mm>"      self-test for mm minutes; "T.<n>" for n × 6 s; "CT" cancels
//   "S<mm>R<rrrr>", "S.<n>R<rrrr>"  output off after mm minutes (n × 6 s), on again rrrr minutes
//                after the command; "S<mm>", "S.<n>" without restore; "C" cancels. All "#0".
// Anything else (the binary protocol's commands among them) is recorded and not answered.
#pragma once

#include <string>
#include <vector>

#include "platform/clock.h"
#include "sim/command_log.h"
#include "sim/responder.h"
#include "sim/ups_model.h"

namespace gw {

class TextResponder final : public Responder {
 public:
  TextResponder(UpsModel& model, CommandLog& log, Clock& clock);

  void receive(const uint8_t* bytes, size_t count, std::string* answer) override;
  uint32_t inputLines() override;
  void tick() override;

  // The low-battery setting in force, in whole units.
  int batteryLow() const { return battery_low_; }

 private:
  // Returns false when the command is not answered.
  bool answer(const std::string& command, std::string* out);
  bool setting(int reg, int value);
  std::string statusAnswer();
  void resetSettings();
  void dropStale();

  UpsModel& model_;
  CommandLog& log_;
  Clock& clock_;
  std::string pending_;
  int64_t last_byte_ms_ = 0;
  int nominal_for_settings_ = 0;
  std::vector<int> battery_out_allowed_, input_high_allowed_, input_low_allowed_,
      battery_low_allowed_;
  int battery_out_ = 0, input_high_ = 0, input_low_ = 0, battery_low_ = 0;
  bool auto_restart_ = true;
  bool cold_start_ = false;
};

}  // namespace gw
