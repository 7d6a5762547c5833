// Model identification, table lookups, setting codes and the choice of tables.
#include <gtest/gtest.h>

#include "driver/model/calibration.h"
#include "common/result_code.h"
#include "driver/model/model_table.h"
#include "driver/model/model_tables.h"
#include "driver/model/setting_codes.h"

namespace gw {
namespace {

using namespace tables;

TEST(ModelTableTest, IdentifiesNamesAndAliases) {
  struct Row {
    const char* text;
    ResultCode rc;
    int index;
    int family;
    const char* text_after;
  };
  const Row rows[] = {
      {"KD-9", RC_OK, 24, 4, "KD-9"},
      {"ro43", RC_OK, 24, 4, "KD-9"},
      {"RO37", RC_OK, 22, 4, "KD-7"},
      {"Ro39", RC_OK, 18, 4, "KD-3"},
      {"rO41x", RC_OK, 19, 4, "KD-4"},
      {"ro44", RC_NOT_DETECTED, 0, 0, ""},
      {"RO", RC_NOT_DETECTED, 0, 0, ""},
      {"kd-9", RC_NOT_DETECTED, 0, 0, "kd-9"},
      {"UNKNOWN", RC_NOT_DETECTED, 0, 0, "UNKNOWN"},
      {"KA-1", RC_OK, 1, 1, "KA-1"},
      {"KB-7", RC_OK, 9, 2, "KB-7"},
      {"KC-1", RC_OK, 10, 3, "KC-1"},
      {"KD-11", RC_OK, 26, 4, "KD-11"},
      {"KE-6", RC_OK, 32, 5, "KE-6"},
      {"KE-6 ", RC_NOT_DETECTED, 0, 0, "KE-6 "},
      {"", RC_NOT_DETECTED, 0, 0, ""},
  };
  for (const Row& row : rows) {
    std::string text = row.text;
    int index = -1;
    int family = -1;
    EXPECT_EQ(ModelTable::identify(&text, &index, &family), row.rc) << row.text;
    EXPECT_EQ(text, row.text_after) << row.text;
    if (row.rc == RC_OK) {
      EXPECT_EQ(index, row.index) << row.text;
      EXPECT_EQ(family, row.family) << row.text;
    } else {
      EXPECT_EQ(index, -1) << row.text << ": out-parameter written on failure";
    }
  }
  EXPECT_EQ(ModelTable::name(0), "UNKNOWN");
  EXPECT_EQ(ModelTable::family(0), 0);
  EXPECT_EQ(ModelTable::name(33), "");
}

TEST(ConversionTableTest, LookupClampsAndInterpolatesWithTruncation) {
  struct Row {
    const ConversionTable* table;
    int x;
    int y;
  };
  const Row rows[] = {
      {&kVa, 0, 0},      {&kVa, 25, 0},     {&kVa, 26, 30},   {&kVa, 40, 45},   {&kVa, 41, 46},
      {&kVa, 200, 145},  {&kCa, 174, 5000}, {&kCa, 152, 217}, {&kCa, 100, 0},   {&kFa, 200, 5454},
      {&kFa, 255, 4510}, {&kFa, 100, 6510}, {&kTa, 130, 27},  {&kVd, 128, 178},
  };
  for (const Row& row : rows) EXPECT_EQ(lookup(*row.table, row.x), row.y) << "x=" << row.x;
  EXPECT_EQ(lookup(ConversionTable{0, {}}, 5), 0);
}

TEST(SettingTableTest, DecodesAndEncodesOnlyExactEntries) {
  int32_t v = 0;
  EXPECT_EQ(kHa.decode(-5, &v), RC_OK);
  EXPECT_EQ(v, 131);
  EXPECT_EQ(kHa.decode(6, &v), RC_NO_TABLE_ENTRY);
  // Codes running down.
  EXPECT_EQ(kOa.decode(-3, &v), RC_OK);
  EXPECT_EQ(v, 130);
  EXPECT_EQ(kOa.decode(3, &v), RC_NO_TABLE_ENTRY);
  // A gap in the codes.
  EXPECT_EQ(kBb.decode(-4, &v), RC_NO_TABLE_ENTRY);
  EXPECT_EQ(kBb.decode(-3, &v), RC_OK);
  EXPECT_EQ(v, 35);
  int32_t code = 99;
  EXPECT_EQ(kOb.encode(240, &code), RC_OK);
  EXPECT_EQ(code, -1);
  EXPECT_EQ(kBb.encode(37, &code), RC_NO_TABLE_ENTRY);
  EXPECT_EQ(code, -1) << "written on failure";
  EXPECT_EQ(kHc.allowedValues(), "270,272,274,276,278,280");
  EXPECT_EQ(kHc.defaultValue(), 280);
  EXPECT_EQ(kOa.defaultValue(), 120);
}

TEST(SettingCodesTest, RegistersDecodingAndEncoding) {
  const int registers[][2] = {{0, 2},  {1, 4},  {2, 8},   {3, 24},  {4, 15},
                              {5, 15}, {6, 15}, {29, 61}, {35, 41}, {36, 43}};
  for (const auto& r : registers) {
    int reg = -1;
    EXPECT_EQ(settingRegister(r[0], &reg), RC_OK) << r[0];
    EXPECT_EQ(reg, r[1]) << r[0];
  }
  int reg = -1;
  EXPECT_EQ(settingRegister(7, &reg), RC_NOT_A_SETTING);
  EXPECT_EQ(settingRegister(12, &reg), RC_NOT_A_SETTING);

  DecodedSetting d;
  ASSERT_EQ(decodeSetting(nullptr, 5, 0x12, &d), RC_OK);
  ASSERT_EQ(d.count, 3);
  EXPECT_EQ(d.values[0], 1) << "auto restart is on while bit 0 is clear";
  EXPECT_EQ(d.values[1], 1) << "cold start is bit 1";
  EXPECT_EQ(d.values[2], 1) << "sensitivity is bit 4";
  ASSERT_EQ(decodeSetting(nullptr, 4, 0x01, &d), RC_OK);
  EXPECT_EQ(d.values[0], 0);
  EXPECT_EQ(d.values[1], 0);
  EXPECT_EQ(d.values[2], 0);

  const int identity[][3] = {{35, 0, 1},   {35, 4, 2},   {35, 16, 3}, {35, 8, 0},    {36, 1, 1},
                             {36, 254, 2}, {36, 255, 3}, {36, 0, 0},  {29, 0x10, 1}, {29, 0xEF, 0}};
  for (const auto& row : identity) {
    ASSERT_EQ(decodeSetting(nullptr, row[0], static_cast<uint8_t>(row[1]), &d), RC_OK);
    EXPECT_EQ(d.count, 1);
    EXPECT_EQ(d.values[0], row[2]) << "element " << row[0] << " raw " << row[1];
  }

  Calibration cal;
  ASSERT_EQ(Calibration::choose({false, 1, 3, 2, 0}, &cal), RC_OK);
  ASSERT_EQ(decodeSetting(&cal, 0, 0xFB, &d), RC_OK) << "the byte is a signed code";
  EXPECT_EQ(d.values[0], 131);
  EXPECT_EQ(decodeSetting(&cal, 0, 0x06, &d), RC_NO_TABLE_ENTRY);
  EXPECT_EQ(decodeSetting(nullptr, 0, 0x00, &d), RC_NO_TABLE_ENTRY);

  uint8_t raw = 0;
  EXPECT_EQ(encodeSetting(&cal, 0, 131, 0, &raw), RC_OK);
  EXPECT_EQ(raw, 0xFB);
  EXPECT_EQ(encodeSetting(&cal, 2, 21, 0, &raw), RC_NO_TABLE_ENTRY);
  // The shared register keeps every other bit as held.
  EXPECT_EQ(encodeSetting(&cal, 4, 0, 0xE2, &raw), RC_OK);
  EXPECT_EQ(raw, 0xE3);
  EXPECT_EQ(encodeSetting(&cal, 4, 1, 0xE3, &raw), RC_OK);
  EXPECT_EQ(raw, 0xE2);
  EXPECT_EQ(encodeSetting(&cal, 5, 0, 0xE2, &raw), RC_OK);
  EXPECT_EQ(raw, 0xE0);
  EXPECT_EQ(encodeSetting(&cal, 6, 1, 0xE0, &raw), RC_OK);
  EXPECT_EQ(raw, 0xF0);
  EXPECT_EQ(encodeSetting(&cal, 6, 2, 0xE0, &raw), RC_BAD_VALUE);
  for (int element : {29, 35, 36}) {
    EXPECT_EQ(encodeSetting(&cal, element, 1, 0, &raw), RC_READ_ONLY) << element;
  }
  EXPECT_EQ(encodeSetting(&cal, 7, 1, 0, &raw), RC_NOT_A_SETTING);
}

TEST(CalibrationTest, ChoosesTablesPerLineClassFamilyModelAndVariant) {
  struct Row {
    const char* what;
    CalibrationInputs in;
    const SettingTable* hi;
    const SettingTable* lo;
    const SettingTable* bat_out;
    const SettingTable* battery_lo;
    const ConversionTable* volt;
    const LoadTables* load;
    const ConversionTable* temp;
    const RatioTable* ratios;
    const ConversionTable* curve0;  // first curve of the chosen set
    int base;
  };
  const ConversionTable* ra = &kRa[0];
  const ConversionTable* rb = &kRb[0];
  const ConversionTable* rc = &kRc[0];
  // clang-format off
  const Row rows[] = {
      {"class 1 family 1", {false, 1, 1, 1, 0}, &kHa, &kLa, &kOa, &kBa, &kVa, &kPb, &kTa, &kXa, ra, 1800},
      {"class 1 family 2 model 8 avr", {true, 1, 8, 2, 0}, &kHj, &kLj, &kOa, &kBa, &kVa, &kPb, &kTa, &kXa, rb, 1800},
      {"class 1 family 2 model 3", {false, 1, 3, 2, 0}, &kHa, &kLa, &kOa, &kBa, &kVa, &kPb, &kTa, &kXa, ra, 1800},
      {"class 1 family 3", {false, 1, 10, 3, 0}, &kHa, &kLa, &kOa, &kBa, &kVa, &kPa, &kTa, &kXa, rb, 1800},
      {"class 1 family 4 avr", {true, 1, 16, 4, 0}, &kHh, &kLh, &kOa, &kBa, &kVa, &kPc, &kTa, &kXb, rb, 1800},
      {"class 1 model 24", {true, 1, 24, 4, 0}, &kHh, &kLh, &kOa, &kBa, &kVa, &kPc, &kTb, &kXc, rc, 3600},
      {"class 1 model 25", {false, 1, 25, 4, 0}, &kHh, &kLh, &kOa, &kBa, &kVa, &kPd, &kTc, &kXd, rc, 3600},
      {"class 1 family 5 variant 1", {false, 1, 27, 5, 1}, &kHn, &kLn, &kOf, &kBb, &kVc, &kPe, &kTd, &kXf, rc, 3600},
      {"class 1 family 5 variant 2", {false, 1, 27, 5, 2}, &kHm, &kLm, &kOc, &kBb, &kVc, &kPe, &kTd, &kXf, rc, 3600},
      {"class 1 family 5 variant 3", {false, 1, 27, 5, 3}, &kHl, &kLl, &kOd, &kBb, &kVc, &kPe, &kTd, &kXf, rc, 3600},
      {"class 1 family 5 variant 0", {false, 1, 27, 5, 0}, &kHk, &kLk, &kOe, &kBb, &kVc, &kPe, &kTd, &kXf, rc, 3600},
      {"class 2 family 1", {false, 2, 1, 1, 0}, &kHg, &kLg, &kOa, &kBa, &kVa, &kPa, &kTa, &kXe, ra, 1800},
      {"class 2 family 2 model 9 avr", {true, 2, 9, 2, 0}, &kHi, &kLi, &kOa, &kBa, &kVa, &kPa, &kTa, &kXe, rb, 1800},
      {"class 2 family 4", {false, 2, 20, 4, 0}, &kHi, &kLi, &kOa, &kBa, &kVa, &kPc, &kTa, &kXe, rb, 1800},
      {"class 2 model 25 avr", {true, 2, 25, 4, 0}, &kHi, &kLi, &kOa, &kBa, &kVa, &kPc, &kTa, &kXb, rc, 3600},
      {"class 3 family 2", {false, 3, 4, 2, 0}, &kHb, &kLb, &kOb, &kBa, &kVb, &kPa, &kTa, &kXa, rb, 1800},
      {"class 3 model 24", {false, 3, 24, 4, 0}, &kHb, &kLb, &kOb, &kBa, &kVb, &kPa, &kTa, &kXa, rc, 3600},
      {"class 3 family 5 variant 1", {false, 3, 30, 5, 1}, &kHf, &kLf, &kOj, &kBb, &kVd, &kPe, &kTd, &kXf, rc, 3600},
      {"class 3 family 5 variant 2", {false, 3, 30, 5, 2}, &kHe, &kLe, &kOg, &kBb, &kVd, &kPe, &kTd, &kXf, rc, 3600},
      {"class 3 family 5 variant 3", {false, 3, 30, 5, 3}, &kHd, &kLd, &kOh, &kBb, &kVd, &kPe, &kTd, &kXf, rc, 3600},
      {"class 3 family 5 variant 0", {false, 3, 30, 5, 0}, &kHc, &kLc, &kOi, &kBb, &kVd, &kPe, &kTd, &kXf, rc, 3600},
  };
  // clang-format on
  for (const Row& row : rows) {
    Calibration c;
    ASSERT_EQ(Calibration::choose(row.in, &c), RC_OK) << row.what;
    EXPECT_EQ(c.input_hi, row.hi) << row.what;
    EXPECT_EQ(c.input_lo, row.lo) << row.what;
    EXPECT_EQ(c.bat_out, row.bat_out) << row.what;
    EXPECT_EQ(c.battery_lo, row.battery_lo) << row.what;
    EXPECT_EQ(c.input_volt, row.volt) << row.what;
    EXPECT_EQ(c.output_volt, row.volt) << row.what << ": output follows input";
    EXPECT_EQ(c.load, row.load) << row.what;
    EXPECT_EQ(c.temperature, row.temp) << row.what;
    EXPECT_EQ(c.ratios, row.ratios) << row.what;
    EXPECT_EQ(&c.curves[0], row.curve0) << row.what;
    EXPECT_EQ(c.base_seconds, row.base) << row.what;
    const bool family5 = row.in.family == 5;
    EXPECT_EQ(c.capacity, family5 ? &kCb : &kCa) << row.what;
    EXPECT_EQ(c.frequency, family5 ? &kFb : &kFa) << row.what;
    EXPECT_EQ(c.curve_index[52], 17) << row.what;
    EXPECT_EQ(c.curve_index[50], -1) << row.what;
  }
  Calibration c;
  EXPECT_EQ(Calibration::choose({false, 0, 1, 1, 0}, &c), RC_NOT_DETECTED);
  EXPECT_EQ(Calibration::choose({false, 1, 0, 1, 0}, &c), RC_NOT_DETECTED);
  EXPECT_EQ(Calibration::choose({false, 1, 1, 0, 0}, &c), RC_NOT_DETECTED);
}

}  // namespace
}  // namespace gw
