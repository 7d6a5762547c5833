// What the binary and the text answer targets share: every read a device offers, each checked
// for what its contract promises whatever the UPS said.
#pragma once

#include <cstring>

#include "driver/devices/device.h"
#include "fuzz/fuzz_input.h"

namespace gw::fuzz {

inline void readEverything(Device& device) {
  int32_t value = 0;
  for (int n = -1; n <= 14; ++n) (void)device.getStatus(n, &value);
  for (int n = 0; n <= 7; ++n) {
    (void)device.getSetting(n, 0, &value);
    (void)device.getSetting(n, 1, &value);
  }
  bool on = false;
  (void)device.getAlarm(&on);
  for (int element = 8; element <= 15; ++element) {
    char buffer[64];
    std::memset(buffer, 'x', sizeof buffer);
    size_t size = sizeof buffer;
    ResultCode rc = device.getText(element, buffer, &size);
    if (rc == RC_OK) {
      GW_FUZZ_CHECK(std::memchr(buffer, '\0', sizeof buffer) != nullptr);
    } else if (rc == RC_BUFFER_TOO_SMALL) {
      GW_FUZZ_CHECK(size > sizeof buffer);
    }
  }
  for (int element = 16; element <= 36; ++element) (void)device.getNumber(element, &value);
}

// Setters and commands with arguments from the input: their answers are parsed too.
inline void driveEverything(Device& device, FuzzInput& input) {
  for (int n = 0; n <= 6; ++n) (void)device.setSetting(n, static_cast<int8_t>(input.byte()) * 97);
  (void)device.setAlarm(input.byte() & 1);
  (void)device.selfTest(input.byte());
  (void)device.sleep(input.byte() * 40, input.byte() * 1000);
  (void)device.shutdown(input.byte());
  (void)device.toggleBuzzer();
}

}  // namespace gw::fuzz
