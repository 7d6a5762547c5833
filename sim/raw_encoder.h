// Picks the raw bytes of a binary-protocol status answer, so that the driver's conversion of
// those bytes (by the tables its calibration chooses for this model) gives back the simulated
// readings.
//
// The encoder chooses the same tables as the driver does for the profile's family, model
// index, line class and voltage variant, and inverts them by search: the byte whose converted
// value is nearest to the wanted one. Readings beyond a table's range give its end byte.
#pragma once

#include <cstdint>
#include <vector>

#include "sim/ups_profile.h"

namespace gw {

struct RawPoint {
  int x;
  int y;
};

class RawEncoder {
 public:
  explicit RawEncoder(const UpsProfile& profile);

  // The driver's reading of a table at raw byte x: the first point whose x is not below the
  // input (its y when exact or first, else integer interpolation from the point before); the
  // last point's y beyond the end.
  static int lookup(const std::vector<RawPoint>& table, int x);

  uint8_t encodeVolts(double volts) const;          // input table, units volts
  uint8_t encodeCapacity(double percent) const;     // hundredths of a percent in the table
  uint8_t encodeLoad(double percent, bool on_battery) const;
  uint8_t encodeTemperature(double celsius) const;  // degrees in the table
  uint8_t encodeFrequency(double hz) const;         // hundredths of a hertz in the table

  // The tables in use, so that tests can convert back.
  const std::vector<RawPoint>& voltsTable() const { return *volts_; }
  const std::vector<RawPoint>& capacityTable() const { return *capacity_; }
  const std::vector<RawPoint>& loadTable(bool on_battery) const {
    return on_battery ? *load_battery_ : *load_;
  }
  const std::vector<RawPoint>& temperatureTable() const { return *temperature_; }
  const std::vector<RawPoint>& frequencyTable() const { return *frequency_; }

 private:
  static uint8_t nearest(const std::vector<RawPoint>& table, long wanted);

  const std::vector<RawPoint>* volts_;
  const std::vector<RawPoint>* capacity_;
  const std::vector<RawPoint>* load_;
  const std::vector<RawPoint>* load_battery_;
  const std::vector<RawPoint>* temperature_;
  const std::vector<RawPoint>* frequency_;
};

}  // namespace gw
