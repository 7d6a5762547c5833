// Table selection per line class, family, model and voltage variant.
#include "driver/model/calibration.h"

namespace gw {
namespace {

using namespace tables;

void setThresholds(Calibration* c, const SettingTable& hi, const SettingTable& lo) {
  c->input_hi = &hi;
  c->input_lo = &lo;
}

// Family 5 models keep a BATOUT, INPUTHI and INPUTLO table per voltage variant.
struct VariantTables {
  const SettingTable* bat_out;
  const SettingTable* hi;
  const SettingTable* lo;
};

void applyVariant(Calibration* c, const VariantTables& v) {
  c->bat_out = v.bat_out;
  setThresholds(c, *v.hi, *v.lo);
}

// The settings shared by every family-5 model after its variant tables.
void applyFamily5(Calibration* c, const ConversionTable& input_volt) {
  c->battery_lo = &kBb;
  c->load = &kPe;
  c->temperature = &kTd;
  c->frequency = &kFb;
  c->input_volt = &input_volt;
  c->capacity = &kCb;
  c->curves = kRc;
  c->base_seconds = 3600;
  c->ratios = &kXf;
}

void lineClass1(const CalibrationInputs& in, Calibration* c) {
  const int index = in.model_index;
  switch (in.family) {
    case 1: c->load = &kPb; break;
    case 2:
      if (index == 8 || index == 9) c->curves = kRb;
      if (in.avr) setThresholds(c, kHj, kLj);
      c->load = &kPb;
      break;
    case 3: c->curves = kRb; break;
    case 4:
      setThresholds(c, kHh, kLh);
      c->curves = kRb;
      if (in.avr) c->ratios = &kXb;
      c->load = &kPc;
      if (index == 24) {
        c->temperature = &kTb;
        c->ratios = &kXc;
        c->curves = kRc;
        c->base_seconds = 3600;
      } else if (index == 25) {
        c->load = &kPd;
        c->temperature = &kTc;
        c->ratios = &kXd;
        c->curves = kRc;
        c->base_seconds = 3600;
      }
      break;
    case 5:
      switch (in.voltage_variant) {
        case 1: applyVariant(c, {&kOf, &kHn, &kLn}); break;
        case 2: applyVariant(c, {&kOc, &kHm, &kLm}); break;
        case 3: applyVariant(c, {&kOd, &kHl, &kLl}); break;
        default: applyVariant(c, {&kOe, &kHk, &kLk}); break;
      }
      applyFamily5(c, kVc);
      break;
    default: break;
  }
}

void lineClass2(const CalibrationInputs& in, Calibration* c) {
  const int index = in.model_index;
  setThresholds(c, kHg, kLg);
  c->ratios = &kXe;
  if (in.family == 2) {
    if (index == 8 || index == 9) c->curves = kRb;
    if (in.avr) setThresholds(c, kHi, kLi);
  } else if (in.family == 4) {
    c->load = &kPc;
    setThresholds(c, kHi, kLi);
    c->curves = kRb;
    if (index == 24 || index == 25) {
      c->curves = kRc;
      c->base_seconds = 3600;
    }
    if (in.avr) c->ratios = &kXb;
  }
}

void lineClass3(const CalibrationInputs& in, Calibration* c) {
  const int index = in.model_index;
  setThresholds(c, kHb, kLb);
  c->bat_out = &kOb;
  c->input_volt = &kVb;
  c->curves = kRb;
  if (index == 24 || index == 25) {
    c->curves = kRc;
    c->base_seconds = 3600;
  }
  if (in.family != 5) return;
  switch (in.voltage_variant) {
    case 1: applyVariant(c, {&kOj, &kHf, &kLf}); break;
    case 2: applyVariant(c, {&kOg, &kHe, &kLe}); break;
    case 3: applyVariant(c, {&kOh, &kHd, &kLd}); break;
    default: applyVariant(c, {&kOi, &kHc, &kLc}); break;
  }
  applyFamily5(c, kVd);
}

}  // namespace

const SettingTable* Calibration::settingTable(int element) const {
  switch (element) {
    case 0: return input_hi;
    case 1: return input_lo;
    case 2: return battery_lo;
    case 3: return bat_out;
    default: return nullptr;
  }
}

ResultCode Calibration::choose(const CalibrationInputs& in, Calibration* out) {
  if (in.line_class == 0 || in.model_index == 0 || in.family == 0) return RC_NOT_DETECTED;
  Calibration c;
  c.input_hi = &kHa;
  c.input_lo = &kLa;
  c.battery_lo = &kBa;
  c.bat_out = &kOa;
  c.input_volt = &kVa;
  c.capacity = &kCa;
  c.curves = kRa;
  c.load = &kPa;
  c.temperature = &kTa;
  c.frequency = &kFa;
  c.ratios = &kXa;
  c.base_seconds = 1800;
  switch (in.line_class) {
    case 1: lineClass1(in, &c); break;
    case 2: lineClass2(in, &c); break;
    case 3: lineClass3(in, &c); break;
    default: break;
  }
  c.output_volt = c.input_volt;
  c.curve_index.fill(-1);
  for (size_t i = 0; i < c.curves.size(); ++i) {
    const int tag = c.curves[i].tag;
    if (tag >= 0 && tag <= 100) c.curve_index[static_cast<size_t>(tag)] = static_cast<int8_t>(i);
  }
  *out = c;
  return RC_OK;
}

}  // namespace gw
