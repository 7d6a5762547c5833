// The choice of conversion tables for one binary-protocol UPS, made from its model and its three
// identity registers.
#pragma once

#include <array>
#include <cstdint>

#include "common/result_code.h"
#include "driver/model/conversion_table.h"
#include "driver/model/model_tables.h"
#include "driver/model/setting_table.h"

namespace gw {

// What the UPS told about itself. Line class and voltage variant are the decoded identity
// registers (1 to 3, 0 for an unknown raw value).
struct CalibrationInputs {
  bool avr = false;
  int line_class = 0;
  int model_index = 0;
  int family = 0;
  int voltage_variant = 0;
};

struct Calibration {
  const SettingTable* input_hi = nullptr;
  const SettingTable* input_lo = nullptr;
  const SettingTable* battery_lo = nullptr;
  const SettingTable* bat_out = nullptr;
  const ConversionTable* input_volt = nullptr;
  const ConversionTable* output_volt = nullptr;
  const ConversionTable* capacity = nullptr;
  const LoadTables* load = nullptr;
  const ConversionTable* temperature = nullptr;
  const ConversionTable* frequency = nullptr;
  const RatioTable* ratios = nullptr;
  CurveSet curves;
  int32_t base_seconds = 0;
  // curve_index[t] is the position in `curves` of the curve tagged t, or -1.
  std::array<int8_t, 101> curve_index{};

  // The setting table of element 0 to 3 (INPUTHI, INPUTLO, BATTERYLO, BATOUT); null elsewhere.
  const SettingTable* settingTable(int element) const;

  // Chooses the tables. RC_NOT_DETECTED (10) when the line class, model index or family is 0;
  // *out is written only on success. The references point into static tables.
  [[nodiscard]] static ResultCode choose(const CalibrationInputs& inputs, Calibration* out);
};

}  // namespace gw
