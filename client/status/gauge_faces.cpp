// The gauge table: value texts, levels and colours per gauge, grey with 8s when comm is lost.
#include "client/status/gauge_faces.h"

#include <algorithm>
#include <cstdio>

namespace gw {
namespace {

std::string format(const char* pattern, int a) {
  char text[32];
  std::snprintf(text, sizeof text, pattern, a);
  return text;
}

std::string format(const char* pattern, int a, int b) {
  char text[32];
  std::snprintf(text, sizeof text, pattern, a, b);
  return text;
}

std::string threeDigits(bool lost, int value) { return format("%.3d", lost ? 888 : value); }

std::string minutesSeconds(bool lost, int seconds) {
  return lost ? "88:88" : format("%.2d:%.2d", seconds / 60, seconds % 60);
}

uint32_t scheduleColour(const DisplayRecord& r) {
  if (r.has(kFlagTurnOffSoon)) return kGaugeRed;
  if (r.has(kFlagTurnOffToday)) return kGaugeOrange;
  return kGaugeGreen;
}

GaugeFace scheduleFace(const char* caption, bool lost, int month, int day, int hour, int minute) {
  GaugeFace f;
  f.caption = caption;
  f.line1 = lost ? "88:88" : format("%.2d/%.2d", month, day);
  f.line2 = lost ? "88:88" : format("%.2d:%.2d", hour, minute);
  return f;
}

}  // namespace

std::array<GaugeFace, kGaugeCount> gaugeFaces(const DisplayRecord& r) {
  const bool lost = r.has(kFlagCommLost);
  std::array<GaugeFace, kGaugeCount> g;

  g[0].caption = "Input";
  g[0].line1 = threeDigits(lost, r.input_voltage);
  g[0].unit = kUnitVolt;
  g[0].level = r.has(kFlagPowerFail) ? 1 : 0;
  g[0].colour = r.has(kFlagPowerFail) ? kGaugeRed : kGaugeGreen;

  g[1].caption = "Output";
  g[1].line1 = threeDigits(lost, r.output_voltage);
  g[1].unit = kUnitVolt;

  g[2].caption = "Battery";
  g[2].line1 = threeDigits(lost, r.capacity);
  g[2].unit = kUnitPercent;
  g[2].level = lost ? 4 : std::clamp(r.capacity * 5 / 100, 0, 4);
  if (r.has(kFlagBatteryLow) || g[2].level <= 1) {
    g[2].colour = kGaugeRed;
  } else {
    g[2].colour = g[2].level == 2 ? kGaugeOrange : kGaugeGreen;
  }

  g[3].caption = "Load";
  g[3].line1 = threeDigits(lost, r.load);
  g[3].unit = kUnitPercent;
  if (r.has(kFlagLoadGrey)) {
    g[3].colour = kGaugeGrey;
  } else {
    g[3].colour = r.load < 100 ? kGaugeGreen : kGaugeRed;
  }

  g[4].caption = "Frequency";
  g[4].line1 = lost ? "88.88" : format("%.2d.%d", r.frequency / 10, r.frequency % 10);
  g[4].unit = kUnitHertz;

  const bool fahrenheit = r.has(kFlagFahrenheit);
  g[5].caption = "Temperature";
  g[5].line1 = threeDigits(lost, fahrenheit ? r.temperature * 9 / 5 + 32 : r.temperature);
  g[5].unit = fahrenheit ? kUnitFahrenheit : kUnitCelsius;
  g[5].level = r.has(kFlagTempHigh) ? 1 : 0;
  g[5].colour = r.has(kFlagTempHigh) ? kGaugeRed : kGaugeGreen;

  g[6] = scheduleFace("Scheduled On", lost, r.on_month, r.on_day, r.on_hour, r.on_minute);
  g[6].colour = r.has(kFlagTurnOnAgain) ? scheduleColour(r) : kGaugeGreen;
  g[7] = scheduleFace("Scheduled Off", lost, r.off_month, r.off_day, r.off_hour, r.off_minute);
  g[7].colour = scheduleColour(r);

  g[8].caption = "Final Countdown";
  int left = 0;
  if (r.has(kFlagShutdownPolicy)) {
    // A failure clock ahead of the service's would give more than the whole delay: clamp it.
    left = std::clamp(r.shutdown_delay - r.countdown_seconds, 0, r.shutdown_delay);
    int level = r.shutdown_delay > 0 ? left * 12 / r.shutdown_delay : 0;
    g[8].level = (left == 0 || level > 11) ? 0 : level;
    g[8].colour = r.has(kFlagPowerFail) ? kGaugeRed : kGaugeGreen;
  }
  g[8].line1 = minutesSeconds(lost, left);

  g[9].caption = "Approx.Back-upTime";
  g[9].line1 = minutesSeconds(lost, r.backup_time);
  g[9].level = lost ? 7 : std::clamp(r.backup_time * 8 / r.backup_full_scale, 0, 7);
  if (g[9].level <= 1) {
    g[9].colour = kGaugeRed;
  } else {
    g[9].colour = g[9].level <= 3 ? kGaugeOrange : kGaugeGreen;
  }

  if (lost) {
    for (GaugeFace& f : g) f.colour = kGaugeGrey;
  }
  return g;
}

}  // namespace gw
