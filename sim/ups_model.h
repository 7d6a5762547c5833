// One simulated UPS: mains, battery, load, temperature, self-test, alarm, and the timed output
// off and on that sleep and shutdown commands schedule.
//
// Time comes from the Clock given at construction; every query first brings the state up to the
// clock's present (battery drain and charge, timers), so a test steps time with a FakeClock and
// reads the consequences. Single-threaded; the clock must outlive the model.
#pragma once

#include <cstdint>

#include "platform/clock.h"
#include "sim/ups_profile.h"

namespace gw {

class UpsModel {
 public:
  // Capacity under which the battery counts as low.
  static constexpr double kLowCapacity = 20.0;
  // Charging from empty to full on mains takes this long.
  static constexpr int64_t kFullChargeMs = 3600 * 1000;

  UpsModel(Clock& clock, const UpsProfile& profile);
  UpsModel(const UpsModel&) = delete;
  UpsModel& operator=(const UpsModel&) = delete;

  const UpsProfile& profile() const { return profile_; }
  // Another model of the same kind; the electrical state stays, the readings follow the new
  // nominal voltage and frequency.
  void setProfile(const UpsProfile& profile);

  // Brings battery and timers up to the clock's present. Every accessor below calls it.
  void update();

  // Mains. While it has failed the input reads 0 V and the output runs from the battery.
  void setMains(bool present);
  bool mainsPresent();
  void setInputVolts(double volts);  // the reading while mains is present
  double inputVolts();               // 0 while mains has failed
  void setFrequency(double hz);
  double frequency();

  // Load in percent of the rating, 0 to 200; reads 0 while the output is off.
  void setLoad(double percent);
  double load();

  // Battery charge in percent, 0 to 100. It drains on battery (faster under more load) and
  // charges on mains, unless draining is switched off.
  void setCapacity(double percent);
  double capacity();
  void setDrain(bool on) { drain_ = on; }
  // Forces the battery-low signal on until cleared; the signal is also on below kLowCapacity.
  void forceBatteryLow(bool on) { forced_low_ = on; }
  bool batteryLow();

  void setTemperature(double celsius) { temperature_ = celsius; }
  double temperature() const { return temperature_; }

  // The output runs from the battery: mains has failed, or a self-test is running.
  bool onBattery();
  bool outputOn();
  // Output voltage: nominal on battery (the inverter regulates), the input on mains, 0 when off.
  double outputVolts();
  // The UPS's own electronics run: they die with the output while mains is absent.
  bool alive();

  // Self-test: runs on battery for the given time; ends early when the battery goes low.
  void startSelfTest(int64_t duration_ms);
  void cancelSelfTest() { test_end_ms_ = -1; }
  bool selfTestRunning();

  // Switches the output off after delay_ms; when restore_after_ms >= 0 switches it on again
  // restore_after_ms after now (at least at the switch-off). Without a restore time the output
  // comes back when mains returns after having failed. Replaces any schedule in force.
  void scheduleOutputOff(int64_t delay_ms, int64_t restore_after_ms);
  void cancelSchedule();
  bool waitingToSleep();  // a switch-off is pending
  bool waitingToWake();   // the output is off and a restore time is set
  // Immediate switch, clearing any schedule (control commands, contact-closure kill).
  void setOutput(bool on);

  // The alarm (buzzer) enable; the UPS beeps while it is enabled and the output is on battery.
  bool alarmEnabled() const { return alarm_enabled_; }
  void setAlarmEnabled(bool on) { alarm_enabled_ = on; }
  bool beeping();

 private:
  void switchOff();
  double drainPercentPerMs() const;

  Clock& clock_;
  UpsProfile profile_;
  int64_t last_update_ms_;
  bool mains_ = true;
  double input_volts_;
  double frequency_;
  double load_ = 25.0;
  double capacity_ = 100.0;
  bool drain_ = true;
  bool forced_low_ = false;
  double temperature_ = 30.0;
  bool output_on_ = true;
  int64_t test_end_ms_ = -1;
  int64_t off_at_ms_ = -1;      // pending switch-off
  int64_t restore_at_ms_ = -1;  // switch-on time while (or once) off
  bool restore_on_mains_ = false;  // output off: comes back when mains returns
  bool mains_failed_while_off_ = false;
  bool alarm_enabled_ = true;
};

}  // namespace gw
