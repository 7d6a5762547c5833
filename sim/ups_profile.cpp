// The model catalogue: 32 binary-protocol models, a few text-protocol models, one contact UPS.
#include "sim/ups_profile.h"

#include <array>
#include <cctype>

namespace gw {
namespace {

struct BinaryRow {
  const char* name;
  int family;
  int line_class;
  int variant;
  bool avr;
  int va;
};

// Index i + 1 is the model-table index. Line classes and variants are spread over the families
// so that every calibration branch of the driver can be reached by choosing a model.
constexpr std::array<BinaryRow, 32> kBinaryRows = {{
    {"KA-1", 1, 1, 0, false, 400},  {"KA-2", 1, 3, 0, false, 500},
    {"KB-1", 2, 1, 0, true, 650},   {"KB-2", 2, 3, 0, false, 800},
    {"KB-3", 2, 2, 0, true, 1000},  {"KB-4", 2, 1, 0, false, 1200},
    {"KB-5", 2, 3, 0, true, 1500},  {"KB-6", 2, 1, 0, true, 2000},
    {"KB-7", 2, 3, 0, false, 3000}, {"KC-1", 3, 1, 0, false, 500},
    {"KC-2", 3, 3, 0, false, 700},  {"KC-3", 3, 1, 0, false, 1000},
    {"KC-4", 3, 3, 0, false, 1400}, {"KC-5", 3, 2, 0, false, 2000},
    {"KC-6", 3, 3, 0, false, 3000}, {"KD-1", 4, 1, 0, true, 600},
    {"KD-2", 4, 3, 0, false, 800},  {"KD-3", 4, 2, 0, true, 1000},
    {"KD-4", 4, 1, 0, false, 1250}, {"KD-5", 4, 3, 0, true, 1500},
    {"KD-6", 4, 1, 0, false, 2000}, {"KD-7", 4, 3, 0, true, 2200},
    {"KD-8", 4, 1, 0, false, 2500}, {"KD-9", 4, 1, 0, true, 3000},
    {"KD-10", 4, 3, 0, false, 5000}, {"KD-11", 4, 3, 0, true, 6000},
    {"KE-1", 5, 1, 0, false, 1000}, {"KE-2", 5, 1, 1, false, 1500},
    {"KE-3", 5, 1, 2, false, 2000}, {"KE-4", 5, 3, 0, false, 3000},
    {"KE-5", 5, 3, 3, false, 6000}, {"KE-6", 5, 3, 1, false, 10000},
}};

// The voltage a family-5 model is built for, by line class and variant: the middle of the range
// its battery output setting allows.
int familyFiveVolts(int line_class, int variant) {
  static constexpr int kLow[4] = {120, 127, 100, 110};
  static constexpr int kHigh[4] = {230, 240, 208, 220};
  return line_class == 3 ? kHigh[variant] : kLow[variant];
}

UpsProfile binaryProfile(size_t row) {
  const BinaryRow& r = kBinaryRows[row];
  UpsProfile p;
  p.kind = UpsKind::kBinary;
  p.name = r.name;
  p.model_index = static_cast<int>(row) + 1;
  p.family = r.family;
  p.line_class = r.line_class;
  p.variant = r.variant;
  p.avr = r.avr;
  if (r.family == 5) {
    p.nominal_volts = familyFiveVolts(r.line_class, r.variant);
  } else {
    p.nominal_volts = r.line_class == 3 ? 230 : r.line_class == 2 ? 100 : 120;
  }
  p.nominal_hz = r.line_class == 1 ? 60 : 50;
  p.va = r.va;
  p.watt = r.va * 6 / 10;
  p.firmware = "3A10";
  p.serial = "SIM" + std::to_string(1000 + row);
  p.company = "Norvane Systems Inc.";
  return p;
}

struct TextRow {
  const char* name;
  int volts;
  int hz;
  int va;
  int battery_count;
  double battery_ah;
  bool hex;
};

constexpr std::array<TextRow, 4> kTextRows = {{
    {"KT-1000", 230, 50, 1000, 2, 7.2, false},
    {"KT-2000", 230, 50, 2000, 4, 9.0, false},
    {"KT-1500N", 120, 60, 1500, 3, 7.2, false},
    {"KT-3000H", 230, 50, 3000, 6, 9.0, true},
}};

UpsProfile textProfile(size_t row) {
  const TextRow& r = kTextRows[row];
  UpsProfile p;
  p.kind = UpsKind::kText;
  p.name = r.name;
  p.nominal_volts = r.volts;
  p.nominal_hz = r.hz;
  p.va = r.va;
  p.watt = r.va * 7 / 10;
  p.firmware = "2.14";
  p.serial = "TX" + std::to_string(50010 + row);
  // The text protocol's P4 answer cuts each field at its first blank.
  p.company = "Norvane";
  p.battery_count = r.battery_count;
  p.battery_ah = r.battery_ah;
  p.battery_volts = 12.0 * r.battery_count;
  p.hex_numbers = r.hex;
  return p;
}

UpsProfile contactProfile() {
  UpsProfile p;
  p.kind = UpsKind::kContact;
  p.name = "Generic";
  return p;
}

// "RO<number>" in either case: the binary protocol's alias names.
bool aliasTarget(std::string_view name, std::string_view* target) {
  if (name.size() < 3 || std::toupper(static_cast<unsigned char>(name[0])) != 'R' ||
      std::toupper(static_cast<unsigned char>(name[1])) != 'O') {
    return false;
  }
  std::string_view number = name.substr(2);
  if (number == "37") *target = "KD-7";
  else if (number == "39") *target = "KD-3";
  else if (number == "41") *target = "KD-4";
  else if (number == "43") *target = "KD-9";
  else return false;
  return true;
}

}  // namespace

std::string_view upsKindName(UpsKind kind) {
  switch (kind) {
    case UpsKind::kBinary: return "binary";
    case UpsKind::kText: return "text";
    case UpsKind::kContact: return "contact";
  }
  return "binary";
}

bool parseUpsKind(std::string_view text, UpsKind* kind) {
  for (UpsKind k : {UpsKind::kBinary, UpsKind::kText, UpsKind::kContact}) {
    if (text == upsKindName(k)) {
      *kind = k;
      return true;
    }
  }
  return false;
}

bool findUpsProfile(UpsKind kind, std::string_view name, UpsProfile* profile) {
  switch (kind) {
    case UpsKind::kBinary: {
      std::string_view lookup = name;
      bool alias = aliasTarget(name, &lookup);
      for (size_t i = 0; i < kBinaryRows.size(); ++i) {
        if (lookup == kBinaryRows[i].name) {
          *profile = binaryProfile(i);
          if (alias) profile->name = std::string(name);
          return true;
        }
      }
      return false;
    }
    case UpsKind::kText:
      for (size_t i = 0; i < kTextRows.size(); ++i) {
        if (name == kTextRows[i].name) {
          *profile = textProfile(i);
          return true;
        }
      }
      return false;
    case UpsKind::kContact:
      if (name != "Generic") return false;
      *profile = contactProfile();
      return true;
  }
  return false;
}

UpsProfile defaultUpsProfile(UpsKind kind) {
  switch (kind) {
    case UpsKind::kBinary: return binaryProfile(23);  // KD-9
    case UpsKind::kText: return textProfile(0);
    case UpsKind::kContact: return contactProfile();
  }
  return contactProfile();
}

std::vector<std::string> upsProfileNames(UpsKind kind) {
  std::vector<std::string> names;
  switch (kind) {
    case UpsKind::kBinary:
      for (const BinaryRow& r : kBinaryRows) names.emplace_back(r.name);
      break;
    case UpsKind::kText:
      for (const TextRow& r : kTextRows) names.emplace_back(r.name);
      break;
    case UpsKind::kContact:
      names.emplace_back("Generic");
      break;
  }
  return names;
}

}  // namespace gw
