// A HID report descriptor, parsed: the button and value capabilities of each report type.
//
// Only short items are taken; a long item, a truncated item, a Report Size of 0 or over 32, a
// Pop without a Push, unbalanced collections, a Report ID of 0, reports that mix numbered and
// unnumbered, and a report longer than kHidMaxReportBytes make the whole descriptor malformed.
// Nesting is bounded (kMaxDepth), and so are the usages one main item takes (kMaxUsages) and
// the capabilities of the whole descriptor (kMaxCapabilities), so no input makes the parser or
// the report code use unbounded time or memory.
//
// Bit offsets count from the first bit after the report id byte. Report lengths count that
// byte, whether or not the device numbers its reports.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "common/result_code.h"

namespace gw {

enum class HidReportType : uint8_t { kInput = 0, kOutput = 1, kFeature = 2 };

// One run of fields of one main item that share a usage or a usage range.
struct HidCapability {
  HidReportType type = HidReportType::kInput;
  uint8_t report_id = 0;
  uint16_t usage_page = 0;
  // A single usage has usage_min == usage_max and is_range false. For a variable item, field k
  // carries usage_min + k, and fields past usage_max carry usage_max.
  bool is_range = false;
  uint16_t usage_min = 0;
  uint16_t usage_max = 0;
  uint32_t bit_offset = 0;
  uint8_t bit_size = 0;
  uint16_t count = 0;  // fields
  int32_t logical_min = 0;
  int32_t logical_max = 0;
  // An on/off button: one bit per field of a variable item, or an array item's selector slots.
  bool is_button = false;
  // An array item: each of `count` slots holds a selector; selector logical_min + first_index
  // + (u - usage_min) means usage u of this capability is pressed.
  bool is_array = false;
  uint16_t first_index = 0;
};

class ReportDescriptor {
 public:
  static constexpr int kMaxDepth = 32;       // collections, and Push without Pop
  static constexpr size_t kMaxUsages = 256;  // local usage items before one main item
  static constexpr size_t kMaxCapabilities = 1024;

  // RC_BAD_REPLY for a malformed descriptor; *descriptor is written on RC_OK only.
  [[nodiscard]] static ResultCode parse(const uint8_t* bytes, size_t length,
                                        std::unique_ptr<ReportDescriptor>* descriptor);

  const std::vector<HidCapability>& capabilities() const { return caps_; }
  // The capabilities of one type, buttons or values.
  std::vector<HidCapability> buttonCaps(HidReportType type) const;
  std::vector<HidCapability> valueCaps(HidReportType type) const;

  bool numbered() const { return numbered_; }
  // The longest report of the type, its id byte included; 0 when the type has no fields.
  size_t reportLength(HidReportType type) const {
    return report_length_[static_cast<size_t>(type)];
  }
  // The length of the report with this id, its id byte included; 0 when there is none.
  size_t reportLength(HidReportType type, uint8_t report_id) const;

 private:
  ReportDescriptor() = default;
  friend class DescriptorParser;

  std::vector<HidCapability> caps_;
  bool numbered_ = false;
  size_t report_length_[3] = {0, 0, 0};
  std::map<std::pair<HidReportType, uint8_t>, size_t> id_length_;
};

}  // namespace gw
