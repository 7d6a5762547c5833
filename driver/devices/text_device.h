// The text-protocol UPS at 2400 baud: answers are "#" lines of tagged or comma-separated fields
// with numbers in hundredths, settings are "C<register>:<value>" commands.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "driver/devices/media_device.h"

namespace gw {

class TextDevice : public MediaDevice {
 public:
  static constexpr int kBaud = 2400;

  // Puts the line at 2400 baud, RTS off, DTR on, and clears it. The media and clock must
  // outlive the device.
  TextDevice(Media& media, Clock& clock);

  // A number with an optional fraction in hundredths: the integer part × 100 plus the first two
  // digits of the fraction ("230.5" → 23050, "-1.25" → -125). The integer part is read in
  // `base` (10 or 16), the fraction always in decimal digits. False unless the whole text is a
  // number.
  [[nodiscard]] static bool parseHundredths(std::string_view text, int base, int32_t* value);

  ResultCode getSetting(int n, int selector, int32_t* value) override;
  ResultCode setSetting(int n, int32_t value) override;
  ResultCode getAlarm(bool* on) override;
  ResultCode setAlarm(int32_t value) override;
  ResultCode getText(int element, char* buffer, size_t* size) override;
  ResultCode getNumber(int element, int32_t* value) override;
  ResultCode selfTest(int32_t seconds) override;
  ResultCode sleep(int32_t delay_seconds, int32_t restore_seconds) override;
  ResultCode shutdown(int32_t delay_seconds) override;
  ResultCode toggleBuzzer() override;
  ResultCode poll() override;

 private:
  // Sends `command` and checks the "#...\r" frame; *body is the text between.
  ResultCode ask(std::string_view command, std::string* body);
  ResultCode pollOnce();
  // Runs query P1 to P9 and fills its elements.
  ResultCode query(int number);
  // The query that fills `element`, or 0.
  static int queryFor(int element);
  // Runs the query for `element` when it holds nothing.
  ResultCode ensure(int element);
  ResultCode writeRegister(int reg, int width, int32_t value);
  // A command answered as a setting is: "#n\r" with n > 0 refuses.
  ResultCode confirmed(std::string_view command);

  // The number base flag (element 32) is asked once, by the first poll that finds it unknown.
  bool hex_flag_asked_ = false;
};

}  // namespace gw
