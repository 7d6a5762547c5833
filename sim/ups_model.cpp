// The UPS's physics and timers, advanced lazily to the clock's present.
#include "sim/ups_model.h"

#include <algorithm>

namespace gw {

UpsModel::UpsModel(Clock& clock, const UpsProfile& profile)
    : clock_(clock),
      profile_(profile),
      last_update_ms_(clock.monotonicMs()),
      input_volts_(profile.nominal_volts),
      frequency_(profile.nominal_hz) {}

void UpsModel::setProfile(const UpsProfile& profile) {
  update();
  bool nominal = input_volts_ == profile_.nominal_volts;
  bool nominal_hz = frequency_ == profile_.nominal_hz;
  profile_ = profile;
  if (nominal) input_volts_ = profile.nominal_volts;
  if (nominal_hz) frequency_ = profile.nominal_hz;
}

// Full battery runtime falls with load: about an hour idle, five minutes at full load.
double UpsModel::drainPercentPerMs() const {
  double runtime_ms = 3600.0 * 1000.0 * 10.0 / (10.0 + std::max(load_, 0.0));
  return 100.0 / runtime_ms;
}

void UpsModel::update() {
  int64_t now = clock_.monotonicMs();
  // Walk the timers in time order so that a long step does not skip an event's consequences.
  for (;;) {
    int64_t next = now;
    if (test_end_ms_ >= 0) next = std::min(next, test_end_ms_);
    if (off_at_ms_ >= 0) next = std::min(next, off_at_ms_);
    if (!output_on_ && restore_at_ms_ >= 0) next = std::min(next, restore_at_ms_);
    next = std::max(next, last_update_ms_);

    double dt = static_cast<double>(next - last_update_ms_);
    bool battery = output_on_ && (!mains_ || test_end_ms_ >= 0);
    if (drain_ && dt > 0) {
      if (battery) {
        capacity_ -= dt * drainPercentPerMs();
      } else if (mains_) {
        capacity_ += dt * 100.0 / static_cast<double>(kFullChargeMs);
      }
      capacity_ = std::clamp(capacity_, 0.0, 100.0);
    }
    last_update_ms_ = next;

    if (test_end_ms_ >= 0 && (next >= test_end_ms_ || capacity_ < kLowCapacity || forced_low_)) {
      test_end_ms_ = -1;
    }
    if (off_at_ms_ >= 0 && next >= off_at_ms_) switchOff();
    if (!output_on_ && restore_at_ms_ >= 0 && next >= restore_at_ms_) {
      if (mains_) {
        output_on_ = true;
        restore_at_ms_ = -1;
      } else {
        // Due while mains is absent: wait for mains instead.
        restore_at_ms_ = -1;
        restore_on_mains_ = true;
      }
    }
    if (output_on_ && !mains_ && capacity_ <= 0.0) {
      // Exhausted: the inverter stops and the UPS waits for mains.
      switchOff();
      restore_on_mains_ = true;
      mains_failed_while_off_ = true;
    }
    if (next >= now) break;
  }
}

void UpsModel::switchOff() {
  output_on_ = false;
  off_at_ms_ = -1;
  test_end_ms_ = -1;
  mains_failed_while_off_ = !mains_;
  if (restore_at_ms_ < 0) restore_on_mains_ = true;
}

void UpsModel::setMains(bool present) {
  update();
  if (!present && !output_on_) mains_failed_while_off_ = true;
  if (present && !mains_ && !output_on_ && restore_on_mains_ && mains_failed_while_off_) {
    output_on_ = true;
    restore_on_mains_ = false;
    mains_failed_while_off_ = false;
  }
  mains_ = present;
}

bool UpsModel::mainsPresent() {
  update();
  return mains_;
}

void UpsModel::setInputVolts(double volts) {
  update();
  input_volts_ = std::max(volts, 0.0);
}

double UpsModel::inputVolts() {
  update();
  return mains_ ? input_volts_ : 0.0;
}

void UpsModel::setFrequency(double hz) {
  update();
  frequency_ = std::max(hz, 0.0);
}

double UpsModel::frequency() {
  update();
  return frequency_;
}

void UpsModel::setLoad(double percent) {
  update();
  load_ = std::clamp(percent, 0.0, 200.0);
}

double UpsModel::load() {
  update();
  return output_on_ ? load_ : 0.0;
}

void UpsModel::setCapacity(double percent) {
  update();
  capacity_ = std::clamp(percent, 0.0, 100.0);
}

double UpsModel::capacity() {
  update();
  return capacity_;
}

bool UpsModel::batteryLow() {
  update();
  return forced_low_ || capacity_ < kLowCapacity;
}

bool UpsModel::onBattery() {
  update();
  return output_on_ && (!mains_ || test_end_ms_ >= 0);
}

bool UpsModel::outputOn() {
  update();
  return output_on_;
}

double UpsModel::outputVolts() {
  update();
  if (!output_on_) return 0.0;
  if (!mains_ || test_end_ms_ >= 0) return profile_.nominal_volts;
  return input_volts_;
}

bool UpsModel::alive() {
  update();
  return output_on_ || mains_;
}

void UpsModel::startSelfTest(int64_t duration_ms) {
  update();
  if (!output_on_ || duration_ms <= 0) return;
  test_end_ms_ = clock_.monotonicMs() + duration_ms;
}

bool UpsModel::selfTestRunning() {
  update();
  return test_end_ms_ >= 0;
}

void UpsModel::scheduleOutputOff(int64_t delay_ms, int64_t restore_after_ms) {
  update();
  int64_t now = clock_.monotonicMs();
  off_at_ms_ = now + std::max<int64_t>(delay_ms, 0);
  restore_at_ms_ = restore_after_ms >= 0 ? std::max(now + restore_after_ms, off_at_ms_) : -1;
  restore_on_mains_ = false;
  update();
}

void UpsModel::cancelSchedule() {
  update();
  off_at_ms_ = -1;
  if (output_on_) restore_at_ms_ = -1;
}

bool UpsModel::waitingToSleep() {
  update();
  return off_at_ms_ >= 0;
}

bool UpsModel::waitingToWake() {
  update();
  return !output_on_ && restore_at_ms_ >= 0;
}

void UpsModel::setOutput(bool on) {
  update();
  off_at_ms_ = -1;
  restore_at_ms_ = -1;
  if (on) {
    output_on_ = true;
    restore_on_mains_ = false;
  } else if (output_on_) {
    switchOff();
  }
}

bool UpsModel::beeping() {
  update();
  return alarm_enabled_ && onBattery();
}

}  // namespace gw
