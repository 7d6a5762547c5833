// Turns the readings of one binary-protocol status answer into status values, with the
// debouncing and smoothing that keep a noisy UPS from flickering.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "driver/model/calibration.h"

namespace gw {

// The data bytes r1, r2, r3, r5, r6, r7 and the status byte r9 of a "D" answer.
struct RawStatus {
  uint8_t input = 0;
  uint8_t output = 0;
  uint8_t load = 0;
  uint8_t capacity = 0;
  uint8_t temperature = 0;
  uint8_t frequency = 0;
  uint8_t status = 0;
};

// The status byte as the rest of the system sees it, after the per-family on-battery rule.
struct StatusFlags {
  bool power_fail = false;
  bool battery_low = false;
  bool self_test = false;
  bool waiting_sleep = false;
  bool alarm = false;
  int ratio = 0;  // 0 to 3, the output-voltage ratio number
  bool on_battery = false;

  static StatusFlags decode(uint8_t status, int model_index, int family);
};

// Status values S0 to S13 as the device reports them.
using StatusValues = std::array<int32_t, 14>;

class StatusConverter {
 public:
  // Forgets the debounce counters (the held readings stay); done at each calibration.
  void resetCounters();

  // Converts one answer. `bat_out_volts` is the BATOUT setting, used while on battery. Writes
  // S0 to S11 and S13 of *out (S12, the connection, is the device's); the previous values held
  // here are the starting point of the smoothing, and the first conversion takes its readings
  // as they are.
  void convert(const Calibration& calibration, const RawStatus& raw, const StatusFlags& flags,
               bool avr, int family, int32_t bat_out_volts, StatusValues* out);

  // Backup time in seconds at `load` and `capacity` (hundredths of a percent).
  static int32_t backupSeconds(const Calibration& calibration, int32_t load, int32_t capacity);

 private:
  struct Debounced {
    std::optional<int32_t> held;
    int counter = 0;
  };
  static int32_t debounce(Debounced* d, int32_t reading, int32_t step, int limit);

  Debounced input_;
  Debounced output_;
  Debounced temperature_;
  std::optional<int32_t> load_;
  std::optional<int32_t> capacity_;
  std::optional<int32_t> frequency_;
};

}  // namespace gw
