// Piecewise-linear tables that turn a raw byte of the binary protocol into a value.
#pragma once

#include <cstdint>
#include <span>

namespace gw {

struct TablePoint {
  int16_t x;
  int16_t y;
};

// Points with x ascending. The tag is the load percentage of a backup-time curve and 0 elsewhere.
struct ConversionTable {
  int16_t tag;
  std::span<const TablePoint> points;
};

// A run of backup-time curves, one per tagged load percentage, tags ascending.
using CurveSet = std::span<const ConversionTable>;

// The value of `table` at `x`: the y of the first point whose x is not below `x` (the last
// point's y when there is none), interpolated with truncating integer division between that
// point and the one before it. An empty table gives 0.
int32_t lookup(const ConversionTable& table, int32_t x);

// A load table and the one used while the UPS runs on battery.
struct LoadTables {
  ConversionTable line;
  ConversionTable battery;
};

}  // namespace gw
