// The display record and the gauge table over the edge cases of each gauge: levels, colours,
// texts, the countdown, the Fahrenheit switch, the due turn-off and the lost communication.
#include "client/status/gauge_faces.h"

#include <gtest/gtest.h>

#include "common/time_text.h"
#include "testing/gauge_inputs.h"

namespace gw {
namespace {

constexpr int64_t kNow = FakeClock::kDefaultStart;  // 2002-11-05 17:04:09 UTC
constexpr int64_t kMinute = 60 * 1000;

GaugeItem known(int value) { return knownItem(value); }
GaugeInputs online() { return onlineGaugeInputs(); }

std::array<GaugeFace, kGaugeCount> facesOf(const GaugeInputs& in) {
  return gaugeFaces(buildDisplayRecord(in));
}

TEST(GaugeFaces, BatteryLevelAndColourFollowTheCapacity) {
  struct Case {
    int percent;
    const char* text;
    int level;
    uint32_t colour;
  } cases[] = {{39, "039", 1, kGaugeRed},    {40, "040", 2, kGaugeOrange},
               {59, "059", 2, kGaugeOrange}, {60, "060", 3, kGaugeGreen},
               {99, "099", 4, kGaugeGreen},  {100, "100", 4, kGaugeGreen}};
  for (const Case& c : cases) {
    GaugeInputs in = online();
    in.capacity = known(c.percent * 100);
    GaugeFace f = facesOf(in)[2];
    EXPECT_EQ(f.line1, c.text) << c.percent;
    EXPECT_EQ(f.level, c.level) << c.percent;
    EXPECT_EQ(f.colour, c.colour) << c.percent;
    EXPECT_EQ(f.unit, kUnitPercent);
  }
  GaugeInputs low = online();
  low.battery_low = known(1);
  EXPECT_EQ(facesOf(low)[2].colour, kGaugeRed) << "the low signal wins over a full level";
}

TEST(GaugeFaces, LoadTurnsRedAtOneHundredAndRaisesOverload) {
  GaugeInputs in = online();
  in.load = known(9999);
  DisplayRecord r = buildDisplayRecord(in);
  EXPECT_EQ(gaugeFaces(r)[3].line1, "099");
  EXPECT_EQ(gaugeFaces(r)[3].colour, kGaugeGreen);
  EXPECT_FALSE(r.has(kFlagOverload));
  in.load = known(10000);
  r = buildDisplayRecord(in);
  EXPECT_EQ(gaugeFaces(r)[3].line1, "100");
  EXPECT_EQ(gaugeFaces(r)[3].colour, kGaugeRed);
  EXPECT_TRUE(r.has(kFlagOverload));
  EXPECT_FALSE(r.has(kFlagTempHigh | kFlagLoadGrey));
}

TEST(GaugeFaces, BackupTimeLevelsAndColours) {
  struct Case {
    int seconds;
    const char* text;
    int level;
    uint32_t colour;
  } cases[] = {{224, "03:44", 0, kGaugeRed},   {225, "03:45", 1, kGaugeRed},
               {450, "07:30", 2, kGaugeOrange}, {675, "11:15", 3, kGaugeOrange},
               {900, "15:00", 4, kGaugeGreen},  {1575, "26:15", 7, kGaugeGreen},
               {7200, "120:00", 7, kGaugeGreen}};
  for (const Case& c : cases) {
    GaugeInputs in = online();
    in.backup_time = known(c.seconds);
    GaugeFace f = facesOf(in)[9];
    EXPECT_EQ(f.line1, c.text) << c.seconds;
    EXPECT_EQ(f.level, c.level) << c.seconds;
    EXPECT_EQ(f.colour, c.colour) << c.seconds;
  }
}

TEST(GaugeFaces, CountdownRunsFromTheWholeDelayToZero) {
  struct Case {
    int64_t since_failure_ms;
    const char* text;
    int level;
  } cases[] = {{0, "00:30", 0}, {15000, "00:15", 6}, {29000, "00:01", 0},
               {30000, "00:00", 0}, {95000, "00:00", 0}, {-5000, "00:30", 0}};
  for (const Case& c : cases) {
    GaugeInputs in = online();
    in.power_fail = known(1);
    in.power_fail_since_ms = kNow - c.since_failure_ms;
    in.shutdown_max_count = "1";
    in.shutdown_delay = "30";
    DisplayRecord r = buildDisplayRecord(in);
    EXPECT_TRUE(r.has(kFlagShutdownPolicy | kFlagPowerFail));
    GaugeFace f = gaugeFaces(r)[8];
    EXPECT_EQ(f.line1, c.text) << c.since_failure_ms;
    EXPECT_EQ(f.level, c.level) << c.since_failure_ms;
    EXPECT_EQ(f.colour, kGaugeRed);
  }
}

TEST(GaugeFaces, CountdownWithoutFailureOrPolicy) {
  GaugeInputs in = online();
  in.shutdown_max_count = "4294967295";  // the unsigned form of -1: unlimited, so active
  in.shutdown_delay = "120";
  GaugeFace f = facesOf(in)[8];
  EXPECT_EQ(f.line1, "02:00") << "no failure: the whole delay";
  EXPECT_EQ(f.colour, kGaugeGreen);

  in.shutdown_max_count = "0";
  in.power_fail = known(1);
  f = facesOf(in)[8];
  EXPECT_EQ(f.line1, "00:00") << "no shutdown policy";
  EXPECT_EQ(f.level, 0);
  EXPECT_EQ(f.colour, kGaugeGreen);

  in.shutdown_max_count = "1";
  in.shutdown_delay = "0";  // a zero delay must not divide by zero
  f = facesOf(in)[8];
  EXPECT_EQ(f.line1, "00:00");
  EXPECT_EQ(f.level, 0);
}

TEST(GaugeFaces, FrequencyTemperatureAndVoltages) {
  GaugeInputs in = online();
  in.frequency = known(6000);
  auto g = facesOf(in);
  EXPECT_EQ(g[4].line1, "60.0");
  EXPECT_EQ(g[4].unit, kUnitHertz);
  EXPECT_EQ(g[0].line1, "230");
  EXPECT_EQ(g[1].line1, "229");
  EXPECT_EQ(g[5].line1, "038");
  EXPECT_EQ(g[5].unit, kUnitCelsius);
  in.frequency = known(590);
  EXPECT_EQ(facesOf(in)[4].line1, "05.9");

  in.fahrenheit = true;
  g = facesOf(in);
  EXPECT_EQ(g[5].line1, "100");
  EXPECT_EQ(g[5].unit, kUnitFahrenheit);
  in.fahrenheit = false;
  EXPECT_EQ(facesOf(in)[5].line1, "038") << "switching back shows Celsius on the next tick";
}

TEST(GaugeFaces, PowerFailureColoursTheInput) {
  GaugeInputs in = online();
  in.power_fail = known(1);
  auto g = facesOf(in);
  EXPECT_EQ(g[0].level, 1);
  EXPECT_EQ(g[0].colour, kGaugeRed);
  EXPECT_EQ(g[1].colour, kGaugeGreen);
}

TEST(GaugeFaces, DueTurnOffWithinAnHourADayOrLater) {
  struct Case {
    int64_t ahead_ms;
    uint32_t flag;  // 0 for neither
    uint32_t colour;
  } cases[] = {{59 * kMinute, kFlagTurnOffSoon, kGaugeRed},
               {61 * kMinute, kFlagTurnOffToday, kGaugeOrange},
               {25 * 60 * kMinute, 0, kGaugeGreen},
               {-kMinute, kFlagTurnOffSoon, kGaugeRed}};
  for (const Case& c : cases) {
    GaugeInputs in = online();
    in.due = DueTurnOff{1, kNow + c.ahead_ms, kNow + c.ahead_ms};
    DisplayRecord r = buildDisplayRecord(in);
    EXPECT_EQ(r.flags & (kFlagTurnOffSoon | kFlagTurnOffToday), c.flag) << c.ahead_ms;
    EXPECT_FALSE(r.has(kFlagTurnOnAgain));
    auto g = gaugeFaces(r);
    EXPECT_EQ(g[7].colour, c.colour) << c.ahead_ms;
    EXPECT_EQ(g[6].colour, kGaugeGreen) << "no turn-on: green";
  }
}

TEST(GaugeFaces, ScheduledTimesShowLocalMonthDayAndClock) {
  int64_t off = 0, on = 0;
  ASSERT_TRUE(fromLocalTime({2003, 1, 2, 0, 9, 5, 0}, &off));
  ASSERT_TRUE(fromLocalTime({2003, 2, 28, 0, 23, 59, 0}, &on));
  GaugeInputs in = online();
  in.now_ms = off - 30 * kMinute;
  in.due = DueTurnOff{2, off, on + 999};
  DisplayRecord r = buildDisplayRecord(in);
  EXPECT_TRUE(r.has(kFlagTurnOnAgain | kFlagTurnOffSoon));
  auto g = gaugeFaces(r);
  EXPECT_EQ(g[7].line1, "01/02");
  EXPECT_EQ(g[7].line2, "09:05");
  EXPECT_EQ(g[6].line1, "02/28");
  EXPECT_EQ(g[6].line2, "23:59");
  EXPECT_EQ(g[6].colour, kGaugeRed);

  in.due->action = 3;  // another action: the gauges show no schedule
  r = buildDisplayRecord(in);
  EXPECT_FALSE(r.has(kFlagTurnOnAgain | kFlagTurnOffSoon | kFlagTurnOffToday));
  EXPECT_EQ(gaugeFaces(r)[7].line1, "00/00");
}

TEST(GaugeFaces, LostCommunicationIsGreyWithEights) {
  GaugeInputs in = online();
  in.connect = known(0);
  in.power_fail = known(1);
  DisplayRecord r = buildDisplayRecord(in);
  EXPECT_TRUE(r.has(kFlagCommLost));
  EXPECT_FALSE(r.has(kFlagPowerFail)) << "nothing after the connection is believed";
  auto g = gaugeFaces(r);
  const char* expected[kGaugeCount] = {"888",   "888",   "888",   "888",   "88.88",
                                       "888",   "88:88", "88:88", "88:88", "88:88"};
  for (int i = 0; i < kGaugeCount; ++i) {
    EXPECT_EQ(g[i].line1, expected[i]) << i;
    EXPECT_EQ(g[i].colour, kGaugeGrey) << i;
  }
  EXPECT_EQ(g[6].line2, "88:88");
  EXPECT_EQ(g[2].level, 4);
  EXPECT_EQ(g[9].level, 7);

  in.connect = GaugeItem{RC_SOCKET_ERROR, 1};
  EXPECT_TRUE(buildDisplayRecord(in).has(kFlagCommLost)) << "a failed read is not a value";
}

TEST(DisplayRecord, TheFirstUnknownItemEndsTheChain) {
  GaugeInputs in = online();
  in.battery_low = GaugeItem{RC_NOT_AVAILABLE, 1};
  in.power_fail = known(1);
  DisplayRecord r = buildDisplayRecord(in);
  EXPECT_FALSE(r.has(kFlagCommLost));
  EXPECT_TRUE(r.has(kFlagPowerFail));
  EXPECT_FALSE(r.has(kFlagBatteryLow));
  EXPECT_EQ(r.input_voltage, 0) << "measurements lie after the unknown item";

  in = online();
  in.load = GaugeItem{RC_UNSUPPORTED, 0};
  r = buildDisplayRecord(in);
  EXPECT_EQ(r.capacity, 100);
  EXPECT_EQ(r.load, 0);
  EXPECT_EQ(r.temperature, 0);

  in = online();
  in.port_type = known(1);  // a UPS without measurements
  in.self_test = known(1);
  r = buildDisplayRecord(in);
  EXPECT_FALSE(r.has(kFlagCommLost));
  EXPECT_FALSE(r.has(kFlagSelfTest));
  EXPECT_EQ(r.input_voltage, 0);

  in = online();
  in.self_test = known(1);
  EXPECT_TRUE(buildDisplayRecord(in).has(kFlagSelfTest));
}

}  // namespace
}  // namespace gw
