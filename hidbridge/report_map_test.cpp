// Reports built from items and parsed back, byte layouts against the simulated UPS's own, and
// the refusals of the report reader and builder.
#include "hidbridge/report_map.h"

#include <gtest/gtest.h>

#include <vector>

#include "hidbridge/report_codec.h"
#include "hidbridge/test_descriptors.h"
#include "sim/sim_hid_ups.h"

namespace gw {
namespace {

using Type = HidReportType;
using Bytes = std::vector<uint8_t>;

std::unique_ptr<ReportDescriptor> parsed(const Bytes& bytes) {
  std::unique_ptr<ReportDescriptor> d;
  EXPECT_EQ(ReportDescriptor::parse(bytes.data(), bytes.size(), &d), RC_OK);
  return d;
}

std::unique_ptr<ReportMap> mapOf(const ReportDescriptor& d, Type type, uint16_t page) {
  std::unique_ptr<ReportMap> map;
  EXPECT_EQ(ReportMap::create(d, type, page, &map), RC_OK);
  return map;
}

int32_t valueOf(const ReportMap& map, uint16_t usage) {
  int32_t v = -1;
  EXPECT_EQ(map.value(usage, &v), RC_OK) << "usage " << usage;
  return v;
}

TEST(ReportMapTest, TheUpsReportsBuildToTheSimulatorsLayoutAndParseBack) {
  auto d = parsed(SimHidUps::descriptorBytes());
  auto feature = mapOf(*d, Type::kFeature, 0xFF01);
  ASSERT_EQ(feature->items().size(), 7u) << "usage 2 and the range 8..13";
  ASSERT_EQ(feature->setValue(2, 5), RC_OK);
  for (uint16_t u = 8; u <= 13; ++u) ASSERT_EQ(feature->setValue(u, u % 2), RC_OK);
  Bytes report;
  ASSERT_EQ(feature->build(1, &report), RC_OK);
  EXPECT_EQ(report, (Bytes{1, 5, 0, 1, 0, 1, 0, 1}));

  auto again = mapOf(*d, Type::kFeature, 0xFF01);
  ASSERT_EQ(again->parse(report.data(), report.size()), RC_OK);
  for (const ReportMap::Item& item : feature->items()) {
    EXPECT_EQ(valueOf(*again, item.usage), item.value) << "usage " << item.usage;
  }

  auto output = mapOf(*d, Type::kOutput, 0xFF01);
  ASSERT_EQ(output->setValue(21, 1), RC_OK);
  ASSERT_EQ(output->setValue(23, 'D'), RC_OK);
  ASSERT_EQ(output->build(3, &report), RC_OK);
  EXPECT_EQ(report, (Bytes{3, 1, 'D'}));

  auto input = mapOf(*d, Type::kInput, 0xFF01);
  ASSERT_EQ(input->find(24)->kind, ReportMap::Kind::kArray);
  const Bytes from_ups = {2, 3, '1', '2', '3', 0, 0, 0, 0, 0};
  ASSERT_EQ(input->parse(from_ups.data(), from_ups.size()), RC_OK);
  EXPECT_EQ(valueOf(*input, 22), 3);
  const Bytes* bytes = nullptr;
  ASSERT_EQ(input->bytes(24, &bytes), RC_OK);
  EXPECT_EQ(*bytes, (Bytes{'1', '2', '3', 0, 0, 0, 0, 0}));
}

TEST(ReportMapTest, EveryValueOfEveryReportIdComesBack) {
  auto d = parsed(test_descriptors::kSeveralIds);
  auto input = mapOf(*d, Type::kInput, 0x84);
  ASSERT_EQ(input->reportIds(), (Bytes{1, 2}));
  ASSERT_EQ(input->setValue(0x30, 23012), RC_OK);
  ASSERT_EQ(input->setValue(0x31, 65535), RC_OK);
  ASSERT_EQ(input->setValue(0x32, 50), RC_OK);
  ASSERT_EQ(input->setValue(0x35, 87), RC_OK);
  Bytes one, two;
  ASSERT_EQ(input->build(1, &one), RC_OK);
  ASSERT_EQ(input->build(2, &two), RC_OK);
  EXPECT_EQ(one, (Bytes{1, 0xE4, 0x59, 0xFF, 0xFF, 50})) << "low byte first";
  EXPECT_EQ(two, (Bytes{2, 87})) << "each report has its own length";

  auto back = mapOf(*d, Type::kInput, 0x84);
  ASSERT_EQ(back->parse(one.data(), one.size()), RC_OK);
  EXPECT_EQ(valueOf(*back, 0x35), 0) << "a report of id 1 leaves the items of id 2 alone";
  ASSERT_EQ(back->parse(two.data(), two.size()), RC_OK);
  for (uint16_t u : {0x30, 0x31, 0x32, 0x35}) EXPECT_EQ(valueOf(*back, u), valueOf(*input, u));

  auto feature = mapOf(*d, Type::kFeature, 0x84);
  const uint8_t pair[] = {0xAB, 0xCD};
  ASSERT_EQ(feature->setBytes(0x41, pair, 2), RC_OK);
  ASSERT_EQ(feature->setValue(0x40, 230), RC_OK);
  Bytes three;
  ASSERT_EQ(feature->build(3, &three), RC_OK);
  EXPECT_EQ(three, (Bytes{3, 0xAB, 0xCD}));
  auto fback = mapOf(*d, Type::kFeature, 0x84);
  ASSERT_EQ(fback->parse(three.data(), three.size()), RC_OK);
  const Bytes* got = nullptr;
  ASSERT_EQ(fback->bytes(0x41, &got), RC_OK);
  EXPECT_EQ(*got, (Bytes{0xAB, 0xCD}));
}

TEST(ReportMapTest, ButtonsAndArraySlotsComeBack) {
  auto mouse = parsed(test_descriptors::kRanges);
  auto buttons = mapOf(*mouse, Type::kInput, 0x09);
  ASSERT_EQ(buttons->items().size(), 5u);
  ASSERT_EQ(buttons->setValue(2, 1), RC_OK);
  ASSERT_EQ(buttons->setValue(5, 1), RC_OK);
  Bytes report;
  ASSERT_EQ(buttons->build(0, &report), RC_OK);
  EXPECT_EQ(report, (Bytes{0, 0x12, 0, 0, 0}));
  auto back = mapOf(*mouse, Type::kInput, 0x09);
  ASSERT_EQ(back->parse(report.data(), report.size()), RC_OK);
  for (uint16_t u = 1; u <= 5; ++u) EXPECT_EQ(valueOf(*back, u), (u == 2 || u == 5) ? 1 : 0);

  auto keyboard = parsed(test_descriptors::kArrays);
  ReportCodec codec(*keyboard);
  Bytes keys(keyboard->reportLength(Type::kInput), 0);
  ASSERT_EQ(codec.pressButtons(Type::kInput, 0x07, {0xE1, 0x04, 0x1D}, keys.data(), keys.size()),
            RC_OK);
  EXPECT_EQ(keys, (Bytes{0, 0x02, 0, 0x04, 0x1D, 0, 0, 0, 0, 0}));
  ASSERT_EQ(codec.pressButtons(Type::kInput, 0xFF00, {0x22, 0x20}, keys.data(), keys.size()),
            RC_OK);
  EXPECT_EQ(keys[9], 0x13) << "selectors 3 and 1 in the two 4-bit slots";
  std::vector<uint16_t> pressed;
  ASSERT_EQ(codec.pressedButtons(Type::kInput, 0x07, keys.data(), keys.size(), &pressed), RC_OK);
  EXPECT_EQ(pressed, (std::vector<uint16_t>{0xE1, 0x04, 0x1D})) << "no usage 0 from empty slots";
  ASSERT_EQ(codec.pressedButtons(Type::kInput, 0xFF00, keys.data(), keys.size(), &pressed), RC_OK);
  EXPECT_EQ(pressed, (std::vector<uint16_t>{0x20, 0x22}));
}

TEST(ReportMapTest, AbsentUsagesAndImpossibleValuesAreRefused) {
  auto d = parsed(test_descriptors::kSeveralIds);
  ReportCodec codec(*d);
  Bytes one(6, 0);
  one[0] = 1;
  uint32_t v = 0;
  EXPECT_EQ(codec.getUsageValue(Type::kInput, 0x84, 0x99, one.data(), one.size(), &v),
            RC_NOT_AVAILABLE);
  EXPECT_EQ(codec.getUsageValue(Type::kInput, 0x85, 0x30, one.data(), one.size(), &v),
            RC_NOT_AVAILABLE)
      << "the right usage on the wrong page";
  EXPECT_EQ(codec.getUsageValue(Type::kOutput, 0x84, 0x30, one.data(), one.size(), &v),
            RC_NOT_AVAILABLE);
  EXPECT_EQ(codec.getUsageValue(Type::kInput, 0x84, 0x35, one.data(), one.size(), &v),
            RC_BAD_VALUE)
      << "usage 0x35 lives in report 2";
  EXPECT_EQ(codec.setUsageValue(Type::kInput, 0x84, 0x32, 256, one.data(), one.size()),
            RC_BAD_VALUE)
      << "256 does not fit 8 bits";
  EXPECT_EQ(codec.getUsageValue(Type::kInput, 0x84, 0x32, one.data(), 4, &v), RC_BUFFER_TOO_SMALL)
      << "a report cut short";
  Bytes three = {3, 0, 0};
  uint8_t small[1];
  EXPECT_EQ(codec.getUsageValue(Type::kFeature, 0x84, 0x41, three.data(), 3, &v), RC_BAD_VALUE)
      << "an array is not a single value";
  EXPECT_EQ(codec.getUsageValueArray(Type::kFeature, 0x84, 0x41, three.data(), 3, small, 1),
            RC_BUFFER_TOO_SMALL);
  EXPECT_EQ(codec.setUsageValue(Type::kFeature, 0x84, 0x41, 1, three.data(), 3), RC_BAD_VALUE);
  EXPECT_EQ(three, (Bytes{3, 0, 0})) << "a refused set leaves the report alone";

  auto map = mapOf(*d, Type::kFeature, 0x84);
  int32_t out = 0;
  EXPECT_EQ(map->value(0x99, &out), RC_NOT_AVAILABLE);
  EXPECT_EQ(map->setValue(0x41, 1), RC_BAD_VALUE);
  const uint8_t too_many[3] = {1, 2, 3};
  EXPECT_EQ(map->setBytes(0x41, too_many, 3), RC_BAD_VALUE);
  Bytes built;
  EXPECT_EQ(map->build(7, &built), RC_BAD_VALUE) << "no item of report 7";
  ASSERT_EQ(map->setValue(0x40, 300), RC_OK);
  EXPECT_EQ(map->build(1, &built), RC_BAD_VALUE) << "the builder refuses what does not fit";

  auto keyboard = parsed(test_descriptors::kArrays);
  ReportCodec keys(*keyboard);
  Bytes report(keyboard->reportLength(Type::kInput), 0);
  EXPECT_EQ(keys.pressButtons(Type::kInput, 0x07, {4, 5, 6, 7, 8, 9, 10}, report.data(),
                              report.size()),
            RC_BUFFER_TOO_SMALL)
      << "seven keys in six slots";
}

}  // namespace
}  // namespace gw
