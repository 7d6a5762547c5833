// Status conversion of the binary protocol.
#include "driver/model/status_converter.h"

#include <algorithm>
#include <cstdlib>

namespace gw {
namespace {

constexpr int32_t kVoltStep = 1000;   // 10.00 V
constexpr int32_t kTempStep = 500;    // 5.00 degrees C
constexpr int32_t kLoadJump = 1000;   // 10.00 %
constexpr int32_t kSteadyLoad = 400;  // 4.00 %
constexpr int32_t kFreqJump = 200;    // 2.00 Hz
constexpr int32_t kFreqNoise = 10;    // 0.10 Hz

// A change of `jump` or more is real and taken at once; a smaller one is averaged in slowly.
int32_t smooth(std::optional<int32_t>* previous, int32_t reading, int32_t jump) {
  int32_t value = reading;
  if (previous->has_value() && std::abs(reading - **previous) < jump) {
    value = (reading + 9 * **previous) / 10;
  }
  *previous = value;
  return value;
}

// Models whose UPS runs a self-test on battery but still raises the power-failure flag.
bool testsOnBattery(int model_index, int family) {
  if (family >= 1 && family <= 3) return true;
  return family == 4 && ((model_index >= 16 && model_index <= 22) || model_index == 24);
}

}  // namespace

StatusFlags StatusFlags::decode(uint8_t status, int model_index, int family) {
  StatusFlags f;
  f.power_fail = (status & 0x80) != 0;
  f.battery_low = (status & 0x40) != 0;
  f.self_test = (status & 0x04) != 0;
  f.waiting_sleep = (status & 0x02) != 0;
  f.alarm = (status & 0x01) != 0;
  f.ratio = (status >> 4) & 0x03;
  if (testsOnBattery(model_index, family)) {
    if (f.self_test) {
      f.on_battery = true;
      f.power_fail = false;
    } else {
      f.on_battery = f.power_fail;
    }
  } else {
    f.on_battery = f.power_fail || f.self_test;
  }
  return f;
}

void StatusConverter::resetCounters() {
  input_.counter = 0;
  output_.counter = 0;
  temperature_.counter = 0;
}

int32_t StatusConverter::debounce(Debounced* d, int32_t reading, int32_t step, int limit) {
  if (!d->held.has_value() || std::abs(reading - *d->held) >= step) {
    d->held = reading;
    d->counter = 0;
    return reading;
  }
  if (reading > *d->held) {
    ++d->counter;
  } else if (reading < *d->held) {
    --d->counter;
  } else {
    d->counter = 0;
  }
  if (d->counter >= limit || d->counter <= -limit) {
    d->held = reading;
    d->counter = 0;
  }
  return *d->held;
}

void StatusConverter::convert(const Calibration& cal, const RawStatus& raw,
                              const StatusFlags& flags, bool avr, int family, int32_t bat_out_volts,
                              StatusValues* out) {
  StatusValues& s = *out;
  s[7] = flags.power_fail ? 1 : 0;
  s[8] = flags.battery_low ? 1 : 0;
  s[9] = flags.self_test ? 1 : 0;
  s[10] = flags.waiting_sleep ? 1 : 0;
  s[11] = 0;
  s[13] = flags.alarm ? 1 : 0;

  const int32_t input = debounce(&input_, lookup(*cal.input_volt, raw.input) * 100, kVoltStep, 2);
  s[0] = input;

  if (flags.on_battery) {
    s[1] = bat_out_volts * 100;
  } else if (family == 5) {
    s[1] = debounce(&output_, lookup(*cal.output_volt, raw.output) * 100, kVoltStep, 2);
  } else if (avr && flags.ratio != 0) {
    const Ratio& r = cal.ratios->ratios[flags.ratio - 1];
    s[1] = r.denominator != 0 ? input * r.numerator / r.denominator : input;
  } else {
    s[1] = input;
  }

  const std::optional<int32_t> previous_load = load_;
  const ConversionTable& load_table = flags.on_battery ? cal.load->battery : cal.load->line;
  const int32_t load = smooth(&load_, lookup(load_table, raw.load), kLoadJump);
  s[3] = load;

  const std::optional<int32_t> previous_capacity = capacity_;
  int32_t capacity = smooth(&capacity_, lookup(*cal.capacity, raw.capacity), kLoadJump);
  if (previous_load.has_value() && previous_capacity.has_value() &&
      std::abs(load - *previous_load) < kSteadyLoad) {
    // Under a steady load the charge only goes one way: down on battery, up on mains.
    const bool wrong_way =
        flags.on_battery ? capacity > *previous_capacity : capacity < *previous_capacity;
    if (wrong_way) capacity = *previous_capacity;
    capacity_ = capacity;
  }
  s[2] = capacity;

  s[6] = backupSeconds(cal, load, capacity);

  s[4] = debounce(&temperature_, lookup(*cal.temperature, raw.temperature) * 100, kTempStep, 3);

  const int32_t frequency = lookup(*cal.frequency, raw.frequency);
  int32_t freq_value = frequency;
  if (frequency_.has_value()) {
    const int32_t diff = std::abs(frequency - *frequency_);
    if (diff < kFreqJump && diff >= kFreqNoise) freq_value = (frequency + 9 * *frequency_) / 10;
  }
  frequency_ = freq_value;
  s[5] = freq_value;
}

int32_t StatusConverter::backupSeconds(const Calibration& cal, int32_t load, int32_t capacity) {
  const int32_t u = std::clamp(load / 100, 0, 100);
  const int32_t v = std::clamp(capacity / 100, 0, 100);
  const auto curveAt = [&](int tag) -> const ConversionTable* {
    const int8_t i = cal.curve_index[static_cast<size_t>(tag)];
    return i < 0 ? nullptr : &cal.curves[static_cast<size_t>(i)];
  };
  int32_t fraction = 0;
  if (const ConversionTable* exact = curveAt(u)) {
    fraction = lookup(*exact, v);
  } else {
    int below = u;
    while (below >= 0 && !curveAt(below)) --below;
    int above = u;
    while (above <= 100 && !curveAt(above)) ++above;
    if (below < 0 && above > 100) return 0;
    if (below < 0) {
      fraction = lookup(*curveAt(above), v);
    } else if (above > 100) {
      fraction = lookup(*curveAt(below), v);
    } else {
      const int32_t fa = lookup(*curveAt(below), v);
      const int32_t fb = lookup(*curveAt(above), v);
      fraction = fa + (u - below) * (fb - fa) / (above - below);
    }
  }
  return static_cast<int32_t>(static_cast<int64_t>(fraction) * cal.base_seconds / 10000);
}

}  // namespace gw
