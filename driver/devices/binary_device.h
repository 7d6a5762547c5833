// The binary-protocol UPS at 1200 baud: a 14-byte status answer, one-byte setting registers,
// and commands whose times are counted in 131 ms ticks.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "driver/devices/media_device.h"
#include "driver/model/calibration.h"
#include "driver/model/status_converter.h"

namespace gw {

class BinaryDevice : public MediaDevice {
 public:
  static constexpr int kBaud = 1200;
  static constexpr int32_t kMaxDelaySeconds = 8585;       // 16 bits of ticks
  static constexpr int32_t kMaxRestoreSeconds = 2197815;  // 24 bits of ticks

  // Puts the line at 1200 baud, RTS off, DTR on, and clears it. Blocks for the clearing
  // exchange (the media's read time-out). The media and clock must outlive the device.
  BinaryDevice(Media& media, Clock& clock);

  // Seconds to ticks of 131 ms, the fraction dropped.
  static int64_t ticks(int64_t seconds) { return seconds * 1000 / 131; }

  ResultCode getSetting(int n, int selector, int32_t* value) override;
  ResultCode setSetting(int n, int32_t value) override;
  ResultCode getAlarm(bool* on) override;
  ResultCode getText(int element, char* buffer, size_t* size) override;
  ResultCode getNumber(int element, int32_t* value) override;
  ResultCode selfTest(int32_t seconds) override;
  ResultCode sleep(int32_t delay_seconds, int32_t restore_seconds) override;
  ResultCode shutdown(int32_t delay_seconds) override;
  ResultCode toggleBuzzer() override;
  ResultCode poll() override;

  // The tables chosen for this UPS; null until calibrated.
  const Calibration* calibration() const { return calibrated_ ? &calibration_ : nullptr; }

 private:
  // One attempt of "D": RC_BAD_REPLY for a malformed answer, else the conversion's code.
  ResultCode pollOnce();
  // "F" and "N", then identification.
  ResultCode readIdentity();
  ResultCode readCompany();
  ResultCode identify();
  ResultCode calibrate();
  // Element 0 to 6, 29, 35 or 36: held, or read from its register.
  ResultCode readRegisterElement(int element, int32_t* value);
  ResultCode fetchRegister(int element);
  ResultCode writeRegister(int reg, uint8_t raw);
  // A one-attempt command; `answer_length` kWhatever wants at least one byte.
  ResultCode command(std::string_view bytes, int answer_length);

  Calibration calibration_;
  bool calibrated_ = false;
  bool calibrating_ = false;
  StatusConverter converter_;
  // The shared flags register as last read from or written to the UPS.
  uint8_t held_flags_ = 0;
};

}  // namespace gw
