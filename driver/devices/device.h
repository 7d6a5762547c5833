// A UPS as the driver sees it: the requests of the pipe protocol answered from a value table and
// refreshed by each poll. Every operation answers a ResultCode and writes out-parameters only on
// success; every slot defaults to RC_UNSUPPORTED.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/result_code.h"

namespace gw {

class Device {
 public:
  Device() = default;
  Device(const Device&) = delete;
  Device& operator=(const Device&) = delete;
  virtual ~Device() = default;

  // Status values S0 to S13.
  virtual ResultCode getStatus(int n, int32_t* value);
  // Settings elements 0 to 6; selector 0 = value in force, non-zero = the secondary value.
  virtual ResultCode getSetting(int n, int selector, int32_t* value);
  virtual ResultCode setSetting(int n, int32_t value);
  // Element 7, the alarm enable.
  virtual ResultCode getAlarm(bool* on);
  virtual ResultCode setAlarm(int32_t value);
  // Text elements 8 to 15. `buffer` may be null to ask for the size; *size is in/out: the
  // buffer's size on entry, the size needed (length + 1) when RC_BUFFER_TOO_SMALL is returned.
  virtual ResultCode getText(int element, char* buffer, size_t* size);
  // Numeric elements 16, 17, 19 to 32.
  virtual ResultCode getNumber(int element, int32_t* value);
  // Commands C0 to C3.
  virtual ResultCode selfTest(int32_t seconds);
  virtual ResultCode sleep(int32_t delay_seconds, int32_t restore_seconds);
  virtual ResultCode shutdown(int32_t delay_seconds);
  virtual ResultCode toggleBuzzer();
  // Refreshes the values from the UPS.
  virtual ResultCode poll();
};

}  // namespace gw
