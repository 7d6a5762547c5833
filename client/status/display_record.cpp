// Building the display record: the chain of known items, the countdown and the due schedule.
#include "client/status/display_record.h"

#include <charconv>
#include <climits>

#include "common/time_text.h"

namespace gw {
namespace {

constexpr int64_t kDayMs = 24LL * 3600 * 1000;
constexpr int64_t kHourMs = 3600LL * 1000;

// The leading decimal number of a policy value, as the service writes it: "4294967295" is the
// unsigned form of -1, which still reads as nonzero. Empty when no digits lead.
std::optional<long long> leadingNumber(const std::string& text) {
  size_t pos = text.find_first_not_of(" \t");
  if (pos == std::string::npos) return std::nullopt;
  long long value = 0;
  auto [end, ec] = std::from_chars(text.data() + pos, text.data() + text.size(), value);
  if (ec != std::errc() || end == text.data() + pos) return std::nullopt;
  return value;
}

void fillScheduleFields(const GaugeInputs& in, DisplayRecord* r) {
  if (!in.due || (in.due->action != 1 && in.due->action != 2)) return;
  const DueTurnOff& due = *in.due;
  LocalTime off = toLocalTime(due.start_ms);
  r->off_month = off.month;
  r->off_day = off.day;
  r->off_hour = off.hour;
  r->off_minute = off.minute;
  if (in.now_ms + kDayMs > due.start_ms) {
    r->flags |= (due.start_ms - in.now_ms >= kHourMs) ? kFlagTurnOffToday : kFlagTurnOffSoon;
  }
  if (due.action == 2) {
    r->flags |= kFlagTurnOnAgain;
    int64_t whole_seconds = (due.end_ms - due.start_ms) / 1000;
    LocalTime on = toLocalTime(due.start_ms + whole_seconds * 1000);
    r->on_month = on.month;
    r->on_day = on.day;
    r->on_hour = on.hour;
    r->on_minute = on.minute;
  }
}

}  // namespace

DisplayRecord buildDisplayRecord(const GaugeInputs& in) {
  DisplayRecord r;
  r.flags = kFlagCommLost;
  if (in.fahrenheit) r.flags |= kFlagFahrenheit;
  if (in.shutdown_max_count) {
    std::optional<long long> count = leadingNumber(*in.shutdown_max_count);
    if (count && *count != 0) {
      r.flags |= kFlagShutdownPolicy;
      std::optional<long long> delay =
          in.shutdown_delay ? leadingNumber(*in.shutdown_delay) : std::nullopt;
      long long d = delay.value_or(0);
      r.shutdown_delay = d < 0 ? 0 : (d > INT_MAX ? INT_MAX : static_cast<int>(d));
    }
  }
  const bool measurements = in.port_type.known() && in.port_type.value == kPortTypeWithMeasurements;

  // Each step needs every earlier item known; the first unknown one ends the chain.
  do {
    if (!in.connect.known() || in.connect.value == 0) break;
    r.flags &= ~kFlagCommLost;
    if (!in.power_fail.known()) break;
    if (in.power_fail.value != 0) {
      r.flags |= kFlagPowerFail;
      if (r.has(kFlagShutdownPolicy)) {
        int64_t seconds = (in.now_ms - in.power_fail_since_ms) / 1000;
        r.countdown_seconds = seconds > INT_MAX ? INT_MAX : static_cast<int>(seconds);
      }
    }
    if (!in.battery_low.known()) break;
    if (in.battery_low.value != 0) r.flags |= kFlagBatteryLow;
    if (!measurements) break;
    if (!in.self_test.known()) break;
    if (in.self_test.value != 0) r.flags |= kFlagSelfTest;
    if (!in.input_voltage.known()) break;
    r.input_voltage = in.input_voltage.value / 100;
    if (!in.output_voltage.known()) break;
    r.output_voltage = in.output_voltage.value / 100;
    if (!in.capacity.known()) break;
    r.capacity = in.capacity.value / 100;
    if (!in.load.known()) break;
    r.load = in.load.value / 100;
    if (r.load >= 100) r.flags |= kFlagOverload;
    if (!in.temperature.known()) break;
    r.temperature = in.temperature.value / 100;
    if (!in.frequency.known()) break;
    r.frequency = in.frequency.value / 10;
    if (!in.backup_time.known()) break;
    r.backup_time = in.backup_time.value;
  } while (false);

  fillScheduleFields(in, &r);
  return r;
}

}  // namespace gw
