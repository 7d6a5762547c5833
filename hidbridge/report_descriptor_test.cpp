// The descriptor parser on real-world-shaped descriptors, on malformed ones, and on a stream of
// mutations of the UPS's own.
#include "hidbridge/report_descriptor.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "hidbridge/report_map.h"
#include "hidbridge/test_descriptors.h"
#include "sim/sim_hid_ups.h"

namespace gw {
namespace {

using Type = HidReportType;

std::unique_ptr<ReportDescriptor> parsed(const std::vector<uint8_t>& bytes) {
  std::unique_ptr<ReportDescriptor> d;
  EXPECT_EQ(ReportDescriptor::parse(bytes.data(), bytes.size(), &d), RC_OK);
  return d;
}

// The capability of the type whose usages include `usage` on `page`; fails the test if none.
HidCapability capOf(const ReportDescriptor& d, Type type, uint16_t page, uint16_t usage) {
  for (const HidCapability& c : d.capabilities()) {
    if (c.type == type && c.usage_page == page && usage >= c.usage_min && usage <= c.usage_max) {
      return c;
    }
  }
  ADD_FAILURE() << "no capability for usage " << usage;
  return {};
}

struct Expect {
  Type type;
  uint16_t page;
  uint16_t usage;
  uint8_t report_id;
  uint32_t bit_offset;
  uint8_t bit_size;
  uint16_t count;
  bool is_button;
  bool is_array;
};

void check(const ReportDescriptor& d, const std::vector<Expect>& rows) {
  for (const Expect& e : rows) {
    SCOPED_TRACE("usage " + std::to_string(e.usage));
    HidCapability c = capOf(d, e.type, e.page, e.usage);
    EXPECT_EQ(c.report_id, e.report_id);
    EXPECT_EQ(c.bit_offset, e.bit_offset);
    EXPECT_EQ(c.bit_size, e.bit_size);
    EXPECT_EQ(c.count, e.count);
    EXPECT_EQ(c.is_button, e.is_button);
    EXPECT_EQ(c.is_array, e.is_array);
  }
}

TEST(ReportDescriptorTest, TheUpsDescriptorGivesTheBridgeUsagesWhereTheDeviceSendsThem) {
  auto d = parsed(SimHidUps::descriptorBytes());
  ASSERT_TRUE(d);
  EXPECT_TRUE(d->numbered());
  check(*d, {{Type::kFeature, 0xFF01, 2, 1, 0, 8, 1, false, false},
             {Type::kFeature, 0xFF01, 8, 1, 8, 8, 6, false, false},
             {Type::kFeature, 0xFF01, 13, 1, 8, 8, 6, false, false},
             {Type::kInput, 0xFF01, 22, 2, 0, 8, 1, false, false},
             {Type::kInput, 0xFF01, 24, 2, 8, 8, 8, false, false},
             {Type::kOutput, 0xFF01, 21, 3, 0, 8, 1, false, false},
             {Type::kOutput, 0xFF01, 23, 3, 8, 8, 1, false, false}});
  HidCapability lines = capOf(*d, Type::kFeature, 0xFF01, 8);
  EXPECT_TRUE(lines.is_range);
  EXPECT_EQ(lines.usage_min, 8);
  EXPECT_EQ(lines.usage_max, 13);
  EXPECT_EQ(d->reportLength(Type::kFeature), SimHidUps::kFeatureLength);
  EXPECT_EQ(d->reportLength(Type::kInput), SimHidUps::kInputLength);
  EXPECT_EQ(d->reportLength(Type::kOutput), SimHidUps::kOutputLength);
  EXPECT_EQ(d->valueCaps(Type::kInput).size(), 2u);
  EXPECT_TRUE(d->buttonCaps(Type::kInput).empty());
}

TEST(ReportDescriptorTest, EveryReportIdKeepsItsOwnBitCount) {
  auto d = parsed(test_descriptors::kSeveralIds);
  ASSERT_TRUE(d);
  EXPECT_TRUE(d->numbered());
  check(*d, {{Type::kInput, 0x84, 0x30, 1, 0, 16, 1, false, false},
             {Type::kInput, 0x84, 0x31, 1, 16, 16, 1, false, false},
             {Type::kInput, 0x84, 0x35, 2, 0, 8, 1, false, false},
             {Type::kInput, 0x84, 0x32, 1, 32, 8, 1, false, false},
             {Type::kFeature, 0x84, 0x40, 1, 0, 8, 1, false, false},
             {Type::kFeature, 0x84, 0x41, 3, 0, 8, 2, false, false}});
  EXPECT_EQ(d->reportLength(Type::kInput, 1), 6u);
  EXPECT_EQ(d->reportLength(Type::kInput, 2), 2u);
  EXPECT_EQ(d->reportLength(Type::kInput), 6u);
  EXPECT_EQ(d->reportLength(Type::kFeature, 3), 3u);
  EXPECT_EQ(d->reportLength(Type::kOutput), 0u);
  EXPECT_EQ(d->reportLength(Type::kInput, 9), 0u);
  EXPECT_EQ(capOf(*d, Type::kInput, 0x84, 0x30).logical_max, 65535) << "a 4-byte maximum";
}

TEST(ReportDescriptorTest, UsageRangesButtonsAndSignedValues) {
  auto d = parsed(test_descriptors::kRanges);
  ASSERT_TRUE(d);
  EXPECT_FALSE(d->numbered());
  check(*d, {{Type::kInput, 0x09, 1, 0, 0, 1, 5, true, false},
             {Type::kInput, 0x09, 5, 0, 0, 1, 5, true, false},
             {Type::kInput, 0x01, 0x30, 0, 8, 8, 1, false, false},
             {Type::kInput, 0x01, 0x31, 0, 16, 8, 1, false, false},
             {Type::kInput, 0x01, 0x38, 0, 24, 8, 1, false, false}});
  HidCapability x = capOf(*d, Type::kInput, 0x01, 0x30);
  EXPECT_EQ(x.logical_min, -127);
  EXPECT_EQ(x.logical_max, 127);
  EXPECT_EQ(d->reportLength(Type::kInput), 5u) << "the padding counts";
  ASSERT_EQ(d->buttonCaps(Type::kInput).size(), 1u);
  EXPECT_TRUE(d->buttonCaps(Type::kInput)[0].is_range);
}

TEST(ReportDescriptorTest, ArraysUsageListsAndPushPop) {
  auto d = parsed(test_descriptors::kArrays);
  ASSERT_TRUE(d);
  check(*d, {{Type::kInput, 0x07, 0xE0, 0, 0, 1, 8, true, false},
             {Type::kInput, 0x07, 0x04, 0, 16, 8, 6, true, true},
             {Type::kInput, 0xFF00, 0x21, 0, 64, 4, 2, true, true},
             {Type::kOutput, 0x08, 0x03, 0, 0, 1, 5, true, false}});
  HidCapability keys = capOf(*d, Type::kInput, 0x07, 0x04);
  EXPECT_EQ(keys.usage_min, 0);
  EXPECT_EQ(keys.usage_max, 0x65);
  // The usage list is one capability per usage, each knowing its selector.
  HidCapability second = capOf(*d, Type::kInput, 0xFF00, 0x21);
  EXPECT_EQ(second.first_index, 1);
  EXPECT_EQ(second.logical_min, 1);
  EXPECT_EQ(d->reportLength(Type::kInput), 10u);
  EXPECT_EQ(d->reportLength(Type::kOutput), 2u);
}

TEST(ReportDescriptorTest, MalformedDescriptorsAreRefused) {
  // Wraps items in an application collection with one valid field before them.
  auto wrap = [](const std::vector<uint8_t>& items) {
    static const uint8_t kHead[] = {0x06, 0x01, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x09,
                                    0x02, 0x75, 0x08, 0x95, 0x01, 0xB1, 0x02};
    std::vector<uint8_t> d(std::begin(kHead), std::end(kHead));
    for (uint8_t b : items) d.push_back(b);
    d.push_back(0xC0);
    return d;
  };
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
  };
  std::vector<uint8_t> too_many_usages;
  for (size_t i = 0; i <= ReportDescriptor::kMaxUsages; ++i) {
    too_many_usages.push_back(0x09);
    too_many_usages.push_back(0x02);
  }
  too_many_usages.push_back(0x81);
  too_many_usages.push_back(0x02);
  std::vector<uint8_t> too_deep;
  for (int i = 0; i <= ReportDescriptor::kMaxDepth; ++i) {
    too_deep.push_back(0xA1);
    too_deep.push_back(0x00);
  }
  for (int i = 0; i <= ReportDescriptor::kMaxDepth; ++i) too_deep.push_back(0xC0);
  std::vector<uint8_t> too_many_pushes(ReportDescriptor::kMaxDepth + 1, 0xA4);
  std::vector<uint8_t> too_many_caps = {0x96, 0x00, 0x01};  // 256 fields per item
  for (int item = 0; item < 5; ++item) {  // five main items of 256 usages each
    for (size_t i = 0; i < ReportDescriptor::kMaxUsages; ++i) {
      too_many_caps.push_back(0x09);
      too_many_caps.push_back(static_cast<uint8_t>(i));
    }
    too_many_caps.push_back(0x81);
    too_many_caps.push_back(0x02);
  }

  const Case cases[] = {
      {"empty", {}},
      {"truncated two-byte item", {0x06, 0x01}},
      {"truncated at the end", wrap({0x27, 0xFF, 0xFF})},
      {"long item", wrap({0xFE, 0x02, 0x10, 0x00, 0x00})},
      {"report size 0", wrap({0x75, 0x00})},
      {"report size 33", wrap({0x75, 0x21})},
      {"pop without push", wrap({0xB4})},
      {"push with data", wrap({0xA5, 0x00})},
      {"end collection without a collection", {0x09, 0x01, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0xC0}},
      {"collection never ended", {0xA1, 0x01, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02}},
      {"report id 0", wrap({0x85, 0x00})},
      {"numbered after unnumbered", wrap({0x85, 0x02, 0x81, 0x02})},
      {"report past 4096 bytes", wrap({0x75, 0x20, 0x96, 0x00, 0x04, 0x81, 0x02})},
      {"usage minimum without maximum", wrap({0x19, 0x01, 0x81, 0x02})},
      {"usage minimum over maximum", wrap({0x19, 0x05, 0x29, 0x01})},
      {"range across pages", wrap({0x1B, 0x01, 0x00, 0x01, 0xFF, 0x2B, 0x05, 0x00, 0x02, 0xFF})},
      {"reserved global tag", wrap({0xC5, 0x00})},
      {"reserved main tag", wrap({0xD1, 0x00})},
      {"reserved item type", wrap({0x0C})},
      {"too many usages", wrap(too_many_usages)},
      {"collections nested too deep", wrap(too_deep)},
      {"push nested too deep", wrap(too_many_pushes)},
      {"more capabilities than the limit", wrap(too_many_caps)},
      {"no field at all", {0x06, 0x01, 0xFF, 0xA1, 0x01, 0xC0}},
      {"no report size before the field", {0x95, 0x01, 0x81, 0x02}},
  };
  for (const Case& c : cases) {
    std::unique_ptr<ReportDescriptor> d;
    EXPECT_EQ(ReportDescriptor::parse(c.bytes.data(), c.bytes.size(), &d), RC_BAD_REPLY) << c.what;
    EXPECT_FALSE(d) << c.what << ": nothing is handed out";
  }
  const std::vector<uint8_t> plain = wrap({});
  std::unique_ptr<ReportDescriptor> ok;
  EXPECT_EQ(ReportDescriptor::parse(plain.data(), plain.size(), &ok), RC_OK)
      << "the wrapper alone is well formed";
}

// Every capability of a descriptor that parsed lies inside its report, so no later access can
// run off a report buffer, and building and parsing every report works or fails cleanly.
void checkBounds(const ReportDescriptor& d) {
  for (const HidCapability& c : d.capabilities()) {
    const size_t length = d.reportLength(c.type, c.report_id);
    ASSERT_GE(length, 1u);
    ASSERT_LE(uint64_t{c.bit_offset} + uint64_t{c.count} * c.bit_size, (length - 1) * 8);
    ASSERT_GE(c.bit_size, 1);
    ASSERT_LE(c.bit_size, 32);
    ASSERT_LE(c.usage_min, c.usage_max);
  }
  for (Type type : {Type::kInput, Type::kOutput, Type::kFeature}) {
    std::unique_ptr<ReportMap> map;
    ASSERT_EQ(ReportMap::create(d, type, 0xFF01, &map), RC_OK);
    for (uint8_t id : map->reportIds()) {
      std::vector<uint8_t> report;
      if (map->build(id, &report) == RC_OK) (void)map->parse(report.data(), report.size());
    }
  }
}

TEST(ReportDescriptorTest, MutatedDescriptorsParseInBoundsOrAreRefused) {
  std::mt19937 random(14);
  const std::vector<uint8_t>& base = SimHidUps::descriptorBytes();
  int accepted = 0;
  for (int round = 0; round < 20000; ++round) {
    std::vector<uint8_t> d = base;
    const int edits = 1 + static_cast<int>(random() % 4);
    for (int e = 0; e < edits && !d.empty(); ++e) {
      const size_t at = random() % d.size();
      switch (random() % 4) {
        case 0:
          d[at] = static_cast<uint8_t>(random());
          break;
        case 1:
          d[at] ^= static_cast<uint8_t>(1u << (random() % 8));
          break;
        case 2:
          d.erase(d.begin() + static_cast<std::ptrdiff_t>(at));
          break;
        default:
          d.insert(d.begin() + static_cast<std::ptrdiff_t>(at), static_cast<uint8_t>(random()));
          break;
      }
    }
    std::unique_ptr<ReportDescriptor> parsed_d;
    if (ReportDescriptor::parse(d.data(), d.size(), &parsed_d) != RC_OK) continue;
    ++accepted;
    ASSERT_NO_FATAL_FAILURE(checkBounds(*parsed_d)) << "round " << round;
  }
  EXPECT_GT(accepted, 100) << "the mutations reach the accepting paths too";
}

}  // namespace
}  // namespace gw
