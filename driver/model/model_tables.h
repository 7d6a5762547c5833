// The conversion data of the binary-protocol UPS families, named by the letters the calibration
// chooses them by: H INPUTHI, L INPUTLO, B BATTERYLO and O BATOUT settings (volts); V voltage
// readings (volts), C capacity and P load readings (hundredths of a percent), T temperature
// (degrees Celsius), F frequency (hundredths of a hertz); X output-voltage ratios; R curve sets.
#pragma once

#include <cstdint>

#include "driver/model/conversion_table.h"
#include "driver/model/setting_table.h"

namespace gw {

struct Ratio {
  int16_t numerator;
  int16_t denominator;
};

// Output-voltage ratios 1, 2 and 3 (ratio number 0 means none).
struct RatioTable {
  Ratio ratios[3];
};

namespace tables {

extern const SettingTable kHa, kHb, kHc, kHd, kHe, kHf, kHg, kHh, kHi, kHj, kHk, kHl, kHm, kHn;
extern const SettingTable kLa, kLb, kLc, kLd, kLe, kLf, kLg, kLh, kLi, kLj, kLk, kLl, kLm, kLn;
extern const SettingTable kBa, kBb;
extern const SettingTable kOa, kOb, kOc, kOd, kOe, kOf, kOg, kOh, kOi, kOj;

extern const ConversionTable kVa, kVb, kVc, kVd;
extern const ConversionTable kCa, kCb;
extern const LoadTables kPa, kPb, kPc, kPd, kPe;
extern const ConversionTable kTa, kTb, kTc, kTd;
extern const ConversionTable kFa, kFb;

extern const RatioTable kXa, kXb, kXc, kXd, kXe, kXf;

// Backup-time curve sets, 34 curves each (backup_curves.cpp, generated).
extern const CurveSet kRa, kRb, kRc;

}  // namespace tables
}  // namespace gw
