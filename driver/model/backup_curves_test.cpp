// The generated curve sets: their shape and the rows that are fixed by the UPS's own figures.
#include <gtest/gtest.h>

#include <vector>

#include "driver/model/model_tables.h"

namespace gw {
namespace {

using namespace tables;

std::vector<TablePoint> points(const ConversionTable& t) {
  return std::vector<TablePoint>(t.points.begin(), t.points.end());
}

TEST(BackupCurvesTest, EverySetHas34RisingCurves) {
  const int tags[] = {0,  3,  6,  9,  12, 15, 18, 21, 24, 27, 30, 33, 36, 39, 42, 45, 48,
                      52, 55, 58, 61, 64, 67, 70, 73, 76, 79, 82, 85, 88, 91, 94, 97, 100};
  const struct {
    const char* name;
    const CurveSet* set;
  } sets[] = {{"R-a", &kRa}, {"R-b", &kRb}, {"R-c", &kRc}};
  for (const auto& s : sets) {
    const CurveSet& set = *s.set;
    ASSERT_EQ(set.size(), 34u) << s.name;
    for (size_t i = 0; i < set.size(); ++i) {
      const auto p = points(set[i]);
      EXPECT_EQ(set[i].tag, tags[i]) << s.name;
      EXPECT_GE(p.size(), 24u) << s.name << " tag " << set[i].tag;
      EXPECT_LE(p.size(), 43u) << s.name << " tag " << set[i].tag;
      EXPECT_TRUE(p.front().x == 9 || p.front().x == 13) << s.name << " tag " << set[i].tag;
      EXPECT_LE(p.back().x, 100) << s.name;
      EXPECT_LE(p.back().y, 10000) << s.name;
      for (size_t k = 1; k < p.size(); ++k) {
        EXPECT_GT(p[k].x, p[k - 1].x) << s.name << " tag " << set[i].tag << " point " << k;
        EXPECT_GT(p[k].y, p[k - 1].y) << s.name << " tag " << set[i].tag << " point " << k;
      }
      if (p.back().x < 100) {
        EXPECT_EQ(p.back().y, 10000) << "a curve stops only when full";
      }
      // More load, less time at any capacity.
      if (i > 0) {
        for (int v = 0; v <= 100; v += 5) {
          EXPECT_LE(lookup(set[i], v), lookup(set[i - 1], v))
              << s.name << " tag " << set[i].tag << " capacity " << v;
        }
      }
    }
  }
}

TEST(BackupCurvesTest, FixedRows) {
  const std::vector<std::pair<int, int>> ra0 = {
      {13, 0},    {15, 28},   {17, 56},   {20, 83},   {22, 139},  {24, 194},
      {26, 278},  {28, 361},  {30, 472},  {33, 611},  {35, 806},  {37, 1000},
      {39, 1250}, {41, 1528}, {43, 1861}, {46, 2250}, {48, 2611}, {50, 3083},
      {52, 3500}, {54, 4056}, {57, 4639}, {59, 5222}, {61, 5889}, {63, 6611},
      {65, 7333}, {67, 8167}, {70, 8889}, {72, 9944}, {74, 10000}};
  const auto p = points(kRa[0]);
  ASSERT_EQ(p.size(), ra0.size());
  for (size_t i = 0; i < p.size(); ++i) {
    EXPECT_EQ(p[i].x, ra0[i].first) << i;
    EXPECT_EQ(p[i].y, ra0[i].second) << i;
  }
  const auto last = [](const ConversionTable& t) {
    return std::make_pair(int{t.points.back().x}, int{t.points.back().y});
  };
  EXPECT_EQ(last(kRa[33]), std::make_pair(100, 306));
  EXPECT_EQ(last(kRc[0]), std::make_pair(59, 10000));
  EXPECT_EQ(last(kRc[33]), std::make_pair(100, 611));
}

}  // namespace
}  // namespace gw
