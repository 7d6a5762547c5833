// Status conversion: flags per family, debouncing, smoothing and backup time.
#include "driver/model/status_converter.h"

#include <gtest/gtest.h>

#include <vector>

namespace gw {
namespace {

// Raw bytes for round values under the default tables (class 2, family 1: V-a, C-a, P-a, T-a,
// F-a): input byte b gives V-a(b), capacity byte 197 is 100 %, frequency byte 219 is 50.00 Hz.
class StatusConverterTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(Calibration::choose({false, 2, 1, 1, 0}, &cal_), RC_OK); }

  StatusValues convert(RawStatus raw, bool on_battery = false, int family = 1) {
    StatusFlags flags;
    flags.on_battery = on_battery;
    StatusValues out{};
    converter_.convert(cal_, raw, flags, false, family, 120, &out);
    return out;
  }

  static RawStatus raw(int input, int load = 0, int capacity = 197, int temperature = 136,
                       int frequency = 219) {
    RawStatus r;
    r.input = static_cast<uint8_t>(input);
    r.output = static_cast<uint8_t>(input);
    r.load = static_cast<uint8_t>(load);
    r.capacity = static_cast<uint8_t>(capacity);
    r.temperature = static_cast<uint8_t>(temperature);
    r.frequency = static_cast<uint8_t>(frequency);
    return r;
  }

  Calibration cal_;
  StatusConverter converter_;
};

TEST(StatusFlagsTest, OnBatteryRulePerFamily) {
  // A self-test with the power-failure flag up: families 1 to 3 and some family-4 models clear
  // the flag but still count as on battery.
  const StatusFlags f2 = StatusFlags::decode(0x84, 3, 2);
  EXPECT_FALSE(f2.power_fail);
  EXPECT_TRUE(f2.self_test);
  EXPECT_TRUE(f2.on_battery);
  for (int index : {16, 22, 24}) {
    const StatusFlags f = StatusFlags::decode(0x84, index, 4);
    EXPECT_FALSE(f.power_fail) << index;
    EXPECT_TRUE(f.on_battery) << index;
  }
  for (int index : {23, 25, 26}) {
    const StatusFlags f = StatusFlags::decode(0x84, index, 4);
    EXPECT_TRUE(f.power_fail) << index;
    EXPECT_TRUE(f.on_battery) << index;
  }
  // A self-test alone: on battery for every model.
  EXPECT_TRUE(StatusFlags::decode(0x04, 3, 2).on_battery);
  EXPECT_TRUE(StatusFlags::decode(0x04, 27, 5).on_battery);
  EXPECT_FALSE(StatusFlags::decode(0x00, 27, 5).on_battery);
  EXPECT_TRUE(StatusFlags::decode(0x80, 3, 2).on_battery);

  const StatusFlags all = StatusFlags::decode(0x73, 27, 5);
  EXPECT_FALSE(all.power_fail);
  EXPECT_TRUE(all.battery_low);
  EXPECT_FALSE(all.self_test);
  EXPECT_TRUE(all.waiting_sleep);
  EXPECT_TRUE(all.alarm);
  EXPECT_EQ(all.ratio, 3);
}

TEST_F(StatusConverterTest, VoltageDebounceNeedsTwoSmallStepsTheSameWay) {
  // Class 1 family 5, variant 1: input table V-c maps a byte to the same number of volts.
  ASSERT_EQ(Calibration::choose({false, 1, 27, 5, 1}, &cal_), RC_OK);
  struct Step {
    int volts;
    int expected;
  };
  const std::vector<std::vector<Step>> sequences = {
      {{230, 23000}, {231, 23000}, {231, 23100}},
      {{230, 23000}, {231, 23000}, {229, 23000}, {229, 23000}, {229, 22900}},
      {{230, 23000}, {240, 24000}, {229, 22900}},
      {{230, 23000}, {231, 23000}, {230, 23000}, {231, 23000}, {231, 23100}},
  };
  for (size_t n = 0; n < sequences.size(); ++n) {
    converter_ = StatusConverter();
    for (size_t i = 0; i < sequences[n].size(); ++i) {
      const StatusValues s = convert(raw(sequences[n][i].volts, 0, 100, 0, 128), false, 5);
      EXPECT_EQ(s[0], sequences[n][i].expected) << "sequence " << n << " step " << i;
      EXPECT_EQ(s[1], sequences[n][i].expected) << "output, sequence " << n << " step " << i;
    }
  }
}

TEST_F(StatusConverterTest, TemperatureDebounceNeedsThreeSteps) {
  // T-a: byte 136 → 30 C, 146 → 30 + 5 * 10 / 18 = 32 C, 154 → 35 C, 178 → 45 C.
  const int bytes[] = {136, 146, 146, 146, 154, 154, 178, 136};
  const int expected[] = {3000, 3000, 3000, 3200, 3200, 3200, 4500, 3000};
  for (size_t i = 0; i < 8; ++i) {
    EXPECT_EQ(convert(raw(98, 0, 197, bytes[i]))[4], expected[i]) << "step " << i;
  }
}

TEST_F(StatusConverterTest, LoadCapacityAndFrequencySmoothing) {
  // P-a: byte 50 → 100.00 %... of the 200 % scale: 10000. Byte 20 → 4000.
  StatusValues s = convert(raw(98, 20, 197, 136, 219));
  EXPECT_EQ(s[3], 4000);
  EXPECT_EQ(s[2], 10000);
  EXPECT_EQ(s[5], 5000);
  // A load change under 10.00 % is averaged in: (4400 + 9 * 4000) / 10.
  s = convert(raw(98, 22, 197, 136, 218));
  EXPECT_EQ(s[3], 4040);
  EXPECT_EQ(s[5], (5020 + 9 * 5000) / 10) << "a 0.20 Hz change is smoothed";
  // A jump of 10.00 % or more is taken as it is.
  s = convert(raw(98, 30, 197, 136, 180));
  EXPECT_EQ(s[3], 6000);
  EXPECT_EQ(s[5], 5940) << "a change of 2.00 Hz or more is taken";
  s = convert(raw(98, 30, 197, 136, 180));
  EXPECT_EQ(s[5], 5940);
}

TEST_F(StatusConverterTest, CapacityOnlyMovesOneWayUnderSteadyLoad) {
  // C-a: byte 174 → 50.00 %, 176 → 54.34 %, 172 → 45.65 %.
  convert(raw(98, 20, 174));
  StatusValues s = convert(raw(98, 20, 172));
  EXPECT_EQ(s[2], 5000) << "on mains the capacity may not fall under a steady load";
  s = convert(raw(98, 20, 176));
  EXPECT_EQ(s[2], (5434 + 9 * 5000) / 10) << "but it may rise";
  const int32_t held = s[2];
  s = convert(raw(98, 20, 197), true);
  EXPECT_EQ(s[2], held) << "on battery it may not rise";
  s = convert(raw(98, 20, 172), true);
  EXPECT_EQ(s[2], (4565 + 9 * held) / 10);
  // With the load jumping the rule is off.
  s = convert(raw(98, 60, 197), true);
  EXPECT_EQ(s[2], 10000);
}

TEST_F(StatusConverterTest, OutputVoltageOnBatteryAndByRatio) {
  StatusFlags flags;
  flags.on_battery = true;
  StatusValues out{};
  converter_.convert(cal_, raw(98), flags, false, 1, 120, &out);
  EXPECT_EQ(out[1], 12000) << "on battery the output is the BATOUT setting";
  flags.on_battery = false;
  flags.ratio = 2;
  converter_ = StatusConverter();
  converter_.convert(cal_, raw(98), flags, true, 1, 120, &out);
  // Class 2 uses X-e: ratio 2 is 100/85 of the input (95 V).
  EXPECT_EQ(out[0], 9500);
  EXPECT_EQ(out[1], 9500 * 100 / 85);
  converter_.convert(cal_, raw(98), flags, false, 1, 120, &out);
  EXPECT_EQ(out[1], 9500) << "without AVR the output is the input";
}

TEST_F(StatusConverterTest, BackupTimeFromTheCurves) {
  ASSERT_EQ(Calibration::choose({false, 1, 1, 1, 0}, &cal_), RC_OK);
  ASSERT_EQ(cal_.base_seconds, 1800);
  EXPECT_EQ(StatusConverter::backupSeconds(cal_, 0, 10000), 1800);
  EXPECT_EQ(StatusConverter::backupSeconds(cal_, 10000, 10000), 55);
  EXPECT_EQ(StatusConverter::backupSeconds(cal_, 15000, 12000), 55) << "limited to 100 %";
  EXPECT_EQ(StatusConverter::backupSeconds(cal_, 0, 1300), 0);
  // Load 50 % lies between the curves tagged 48 and 52.
  const CurveSet& set = cal_.curves;
  const int32_t fa = lookup(set[16], 80);
  const int32_t fb = lookup(set[17], 80);
  ASSERT_EQ(set[16].tag, 48);
  ASSERT_EQ(set[17].tag, 52);
  EXPECT_EQ(StatusConverter::backupSeconds(cal_, 5099, 8050),
            (fa + 2 * (fb - fa) / 4) * 1800 / 10000);
  // Tag 0 of R-a at 41 %.
  EXPECT_EQ(StatusConverter::backupSeconds(cal_, 50, 4100), 1528 * 1800 / 10000);
}

}  // namespace
}  // namespace gw
