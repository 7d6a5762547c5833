// The contact-closure UPS: no data, only its relay contacts read on the serial control lines
// (DCD low: battery low, CTS low: mains failure) while the driver drives DTR, RTS and break.
#pragma once

#include <cstdint>

#include "driver/devices/media_device.h"

namespace gw {

class ContactDevice : public MediaDevice {
 public:
  static constexpr int64_t kSettleMs = 50;
  static constexpr int64_t kShutdownPulseOnMs = 5000;
  static constexpr int64_t kShutdownPulseOffMs = 4000;
  static constexpr int64_t kShutdownHoldMs = 15000;
  static constexpr const char* kModelName = "Generic UPS";

  // Drops DTR, RTS and break. The media and clock must outlive the device.
  ContactDevice(Media& media, Clock& clock);
  // Drops DTR, RTS and break again.
  ~ContactDevice() override;

  // Element 12, the model: read while none is held it runs the detection handshake, which
  // answers RC_NOT_DETECTED when the lines do not behave like a contact-closure UPS.
  ResultCode getText(int element, char* buffer, size_t* size) override;
  ResultCode getNumber(int element, int32_t* value) override;
  // Blocks for 15 s (24 s when mains is present) on the clock.
  ResultCode shutdown(int32_t delay_seconds) override;
  // Reads the contacts: S7, S8 and S12. Blocks for 50 to 300 ms on the clock.
  ResultCode poll() override;

 private:
  ResultCode detect();
  ResultCode pollLines();
  bool drive(uint32_t mask, bool on);
  bool readLines(uint32_t* flags);
  void dropAll();

  bool held_battery_low_ = false;
  bool held_power_fail_ = false;
};

}  // namespace gw
