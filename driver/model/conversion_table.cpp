// Interpolation of a conversion table.
#include "driver/model/conversion_table.h"

namespace gw {

int32_t lookup(const ConversionTable& table, int32_t x) {
  const auto& points = table.points;
  if (points.empty()) return 0;
  size_t i = 0;
  while (i < points.size() && points[i].x < x) ++i;
  if (i == points.size()) return points.back().y;
  if (i == 0 || points[i].x == x) return points[i].y;
  const int32_t x1 = points[i - 1].x;
  const int32_t y1 = points[i - 1].y;
  const int32_t x2 = points[i].x;
  const int32_t y2 = points[i].y;
  return y1 + (y2 - y1) * (x - x1) / (x2 - x1);
}

}  // namespace gw
