// What the status window's tick reads for a UPS on mains: 230 V in and out, a full battery, a
// quarter load, 38 C, 50 Hz and 30 minutes of back-up, on the fake clock's start.
#pragma once

#include "client/status/display_record.h"
#include "testing/fake_clock.h"

namespace gw {

inline GaugeItem knownItem(int value) { return {RC_OK, value}; }

inline GaugeInputs onlineGaugeInputs() {
  GaugeInputs in;
  in.connect = knownItem(1);
  in.power_fail = knownItem(0);
  in.battery_low = knownItem(0);
  in.port_type = knownItem(2);
  in.self_test = knownItem(0);
  in.input_voltage = knownItem(23012);
  in.output_voltage = knownItem(22950);
  in.capacity = knownItem(10000);
  in.load = knownItem(2500);
  in.temperature = knownItem(3800);
  in.frequency = knownItem(5000);
  in.backup_time = knownItem(1800);
  in.now_ms = FakeClock::kDefaultStart;
  return in;
}

}  // namespace gw
