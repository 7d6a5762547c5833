// The display record of the status window: what the ten gauges and the message logic read,
// built afresh on every one-second tick from what the session has cached.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "common/result_code.h"

namespace gw {

// Bits of DisplayRecord::flags.
enum DisplayFlag : uint32_t {
  kFlagCommLost = 1u << 0,
  kFlagPowerFail = 1u << 1,
  kFlagBatteryLow = 1u << 2,
  kFlagTempHigh = 1u << 3,
  kFlagOverload = 1u << 4,
  kFlagSelfTest = 1u << 5,
  kFlagTurnOffToday = 1u << 6,  // a scheduled turn-off is due within 24 hours
  kFlagTurnOffSoon = 1u << 7,   // ... within one hour
  kFlagTurnOnAgain = 1u << 8,   // the due item also turns the system on again
  kFlagShutdownPolicy = 1u << 16,
  kFlagFahrenheit = 1u << 17,
  kFlagLoadGrey = 1u << 18,
};

// One cached status item: the value is meaningful only when code is RC_OK.
struct GaugeItem {
  int code = RC_NOT_AVAILABLE;
  int value = 0;
  bool known() const { return code == RC_OK; }
};

// The schedule item that turns the system off next (action 1 off, 2 off and on again).
struct DueTurnOff {
  int action = 0;
  int64_t start_ms = 0;
  int64_t end_ms = 0;
};

// What one tick reads. Status values are as the service sends them (hundredths, seconds).
struct GaugeInputs {
  GaugeItem connect, power_fail, battery_low, port_type, self_test;
  GaugeItem input_voltage, output_voltage, capacity, load, temperature, frequency, backup_time;
  // When the current power failure began; 0 when the event-time table failed to load.
  int64_t power_fail_since_ms = 0;
  // "powerfail.shutdown.happen.max count" and ".delay" from the cached policy table.
  std::optional<std::string> shutdown_max_count;
  std::optional<std::string> shutdown_delay;
  std::optional<DueTurnOff> due;
  int64_t now_ms = 0;  // the service-synchronised clock
  bool fahrenheit = false;
};

inline constexpr int kPortTypeWithMeasurements = 2;
inline constexpr int kBackupFullScale = 1800;

struct DisplayRecord {
  uint32_t flags = kFlagCommLost;
  int input_voltage = 0;   // volts
  int output_voltage = 0;  // volts
  int capacity = 0;        // percent
  int load = 0;            // percent
  int frequency = 0;       // tenths of a hertz
  int temperature = 0;     // degrees Celsius
  int on_month = 0, on_day = 0, on_hour = 0, on_minute = 0;
  int off_month = 0, off_day = 0, off_hour = 0, off_minute = 0;
  int countdown_seconds = 0;  // since the power failure began
  int shutdown_delay = 0;     // seconds
  int backup_time = 0;        // seconds
  int backup_full_scale = kBackupFullScale;

  bool has(uint32_t flag) const { return (flags & flag) != 0; }
};

// Builds the record of one tick. Local calendar fields come from the process's time zone.
//
// Overload (bit 4) is derived here from the load, with the boundary the load gauge turns red
// at (100 %); temperature high (bit 3) and the grey load (bit 18) have no source in what the
// client fetches and stay clear.
DisplayRecord buildDisplayRecord(const GaugeInputs& in);

}  // namespace gw
