// The catalogue of simulated UPS models: what each one reports about itself and which raw-byte
// conventions its answers follow.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace gw {

enum class UpsKind { kBinary, kText, kContact };

// "binary", "text" or "contact".
std::string_view upsKindName(UpsKind kind);
[[nodiscard]] bool parseUpsKind(std::string_view text, UpsKind* kind);

struct UpsProfile {
  UpsKind kind = UpsKind::kBinary;
  // The name the UPS reports ("F" answer for the binary protocol, P4 for the text protocol).
  std::string name;
  // Binary protocol only: the model-table index (1 to 32) and family (1 to 5) the name stands
  // for, the line class register (1 = 120 V, 2 = 100 V, 3 = 230 V), the family-5 voltage variant
  // (0 to 3) and the AVR flag. An alias name ("RO43") carries the values of the model it names.
  int model_index = 0;
  int family = 0;
  int line_class = 1;
  int variant = 0;
  bool avr = false;
  // Mains the UPS is built for.
  int nominal_volts = 120;
  int nominal_hz = 60;
  // Output rating.
  int va = 1000;
  int watt = 600;
  // Binary: four characters, reported as "<c0>.<c1 c2 c3>". Text: any text without blanks.
  std::string firmware;
  std::string serial;
  std::string company;
  // Text protocol: battery voltage, number of batteries and ampere-hours.
  double battery_volts = 24.0;
  int battery_count = 2;
  double battery_ah = 7.2;
  // Text protocol: the status answer's whole numbers in lower-case hexadecimal (flagged in P9).
  bool hex_numbers = false;
};

// Finds a model of the given kind by its name (exact, case-sensitive; the RO aliases of the
// binary protocol are accepted in either case). False when there is none.
[[nodiscard]] bool findUpsProfile(UpsKind kind, std::string_view name, UpsProfile* profile);

// The model a simulator of this kind starts with when none is named.
UpsProfile defaultUpsProfile(UpsKind kind);

// Every model name of a kind, in catalogue order (aliases not included).
std::vector<std::string> upsProfileNames(UpsKind kind);

}  // namespace gw
