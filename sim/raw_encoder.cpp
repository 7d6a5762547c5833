// The reading tables of the binary protocol and the choice among them per model.
#include "sim/raw_encoder.h"

#include <cmath>
#include <cstdlib>

namespace gw {
namespace {

using Table = std::vector<RawPoint>;

const Table kVoltsA = {{25, 0}, {26, 30}, {54, 60}, {80, 80}, {86, 85}, {92, 90}, {98, 95},
                       {160, 145}};
const Table kVoltsB = {{25, 0},   {26, 69},  {54, 138}, {80, 184},
                       {86, 195}, {92, 207}, {98, 218}, {160, 333}};
const Table kVoltsC = {{29, 0}, {30, 30}, {255, 255}};
const Table kVoltsD = {{0, 0}, {1, 51}, {255, 305}};
const Table kCapacityA = {{151, 0}, {197, 10000}};
const Table kCapacityB = {{0, 0}, {100, 10000}};
const Table kLoadA = {{0, 0}, {100, 20000}};
const Table kLoadABattery = {{0, 0}, {106, 20000}};
const Table kLoadB = {{0, 0}, {66, 20000}};
const Table kLoadBBattery = {{0, 0}, {88, 20000}};
const Table kLoadC = {{0, 0}, {108, 20000}};
const Table kLoadCBattery = {{0, 0}, {86, 20000}};
const Table kLoadD = {{0, 0}, {108, 20000}};
const Table kLoadDBattery = {{0, 0}, {104, 20000}};
const Table kLoadE = {{0, 0}, {200, 20000}};
const Table kLoadEBattery = {{0, 0}, {200, 20000}};
const Table kTempA = {{0, 0},    {122, 25}, {136, 30}, {154, 35},  {165, 40},  {178, 45},
                      {192, 53}, {210, 65}, {230, 84}, {241, 100}, {248, 120}, {255, 140}};
const Table kTempB = {{0, 0},    {122, 25}, {136, 27}, {154, 30}, {165, 32}, {178, 35},
                      {192, 39}, {210, 45}, {230, 54}, {241, 62}, {248, 72}, {255, 82}};
const Table kTempC = {{0, 0},    {136, 30}, {154, 32}, {165, 35}, {178, 37},
                      {192, 43}, {210, 47}, {230, 53}, {241, 65}, {248, 75}};
const Table kTempD = {{0, 0}, {200, 200}};
const Table kFreqA = {{162, 6510}, {176, 6060}, {177, 6030}, {178, 6000}, {179, 5970}, {180, 5940},
                      {217, 5040}, {218, 5020}, {219, 5000}, {220, 4980}, {221, 4960}, {246, 4510}};
const Table kFreqB = {{0, 0}, {1, 4510}, {255, 7050}};

}  // namespace

RawEncoder::RawEncoder(const UpsProfile& p)
    : volts_(&kVoltsA),
      capacity_(&kCapacityA),
      load_(&kLoadA),
      load_battery_(&kLoadABattery),
      temperature_(&kTempA),
      frequency_(&kFreqA) {
  auto useLoad = [this](const Table& line, const Table& battery) {
    load_ = &line;
    load_battery_ = &battery;
  };
  auto familyFive = [&](const Table& volts) {
    volts_ = &volts;
    capacity_ = &kCapacityB;
    useLoad(kLoadE, kLoadEBattery);
    temperature_ = &kTempD;
    frequency_ = &kFreqB;
  };
  if (p.line_class == 1) {
    switch (p.family) {
      case 1:
      case 2:
        useLoad(kLoadB, kLoadBBattery);
        break;
      case 4:
        useLoad(kLoadC, kLoadCBattery);
        if (p.model_index == 24) temperature_ = &kTempB;
        if (p.model_index == 25) {
          useLoad(kLoadD, kLoadDBattery);
          temperature_ = &kTempC;
        }
        break;
      case 5:
        familyFive(kVoltsC);
        break;
      default:
        break;
    }
  } else if (p.line_class == 2) {
    if (p.family == 4) useLoad(kLoadC, kLoadCBattery);
  } else if (p.line_class == 3) {
    volts_ = &kVoltsB;
    if (p.family == 5) familyFive(kVoltsD);
  }
}

int RawEncoder::lookup(const Table& table, int x) {
  for (size_t i = 0; i < table.size(); ++i) {
    if (table[i].x < x) continue;
    if (i == 0 || table[i].x == x) return table[i].y;
    const RawPoint& a = table[i - 1];
    const RawPoint& b = table[i];
    return a.y + (b.y - a.y) * (x - a.x) / (b.x - a.x);
  }
  return table.back().y;
}

uint8_t RawEncoder::nearest(const Table& table, long wanted) {
  int best = 0;
  long best_error = -1;
  for (int x = 0; x <= 255; ++x) {
    long error = std::labs(static_cast<long>(lookup(table, x)) - wanted);
    if (best_error < 0 || error < best_error) {
      best = x;
      best_error = error;
    }
  }
  return static_cast<uint8_t>(best);
}

uint8_t RawEncoder::encodeVolts(double volts) const {
  return nearest(*volts_, std::lround(volts));
}

uint8_t RawEncoder::encodeCapacity(double percent) const {
  return nearest(*capacity_, std::lround(percent * 100));
}

uint8_t RawEncoder::encodeLoad(double percent, bool on_battery) const {
  return nearest(on_battery ? *load_battery_ : *load_, std::lround(percent * 100));
}

uint8_t RawEncoder::encodeTemperature(double celsius) const {
  return nearest(*temperature_, std::lround(celsius));
}

uint8_t RawEncoder::encodeFrequency(double hz) const {
  return nearest(*frequency_, std::lround(hz * 100));
}

}  // namespace gw
