// The fields of one report type of a device, on one usage page: an item per usage, holding the
// value last parsed from or to be built into a report.
//
// Items come from the descriptor's capabilities: a button usage (each usage of a button range)
// is an on/off item; a value usage is a single value, or an array of bytes when one usage has
// two or more fields. A usage that appears in several reports keeps its first report. The
// descriptor must outlive the map. Single-threaded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "hidbridge/report_codec.h"
#include "hidbridge/report_descriptor.h"

namespace gw {

class ReportMap {
 public:
  enum class Kind { kButton = 1, kValue = 2, kArray = 3 };
  struct Item {
    uint16_t usage = 0;
    Kind kind = Kind::kValue;
    uint8_t report_id = 0;
    int32_t value = 0;           // buttons: 1 pressed, 0 not
    std::vector<uint8_t> bytes;  // arrays: (size x count) bits in whole bytes
    const HidCapability* cap = nullptr;  // in the descriptor: where the usage lies
  };

  // RC_NO_MEMORY when the items cannot be held; a type without fields gives an empty map.
  [[nodiscard]] static ResultCode create(const ReportDescriptor& descriptor, HidReportType type,
                                         uint16_t usage_page, std::unique_ptr<ReportMap>* map);

  HidReportType type() const { return type_; }
  size_t reportLength() const { return descriptor_.reportLength(type_); }
  const std::vector<Item>& items() const { return items_; }
  // Null when the map has no item for the usage.
  const Item* find(uint16_t usage) const;
  // The distinct report ids of the items, in first-seen order.
  std::vector<uint8_t> reportIds() const;

  // RC_NOT_AVAILABLE without the item; RC_BAD_VALUE for an array item (or, in setBytes, a
  // value item or more bytes than the array holds).
  [[nodiscard]] ResultCode value(uint16_t usage, int32_t* value) const;
  [[nodiscard]] ResultCode setValue(uint16_t usage, int32_t value);
  [[nodiscard]] ResultCode bytes(uint16_t usage, const std::vector<uint8_t>** bytes) const;
  [[nodiscard]] ResultCode setBytes(uint16_t usage, const uint8_t* bytes, size_t count);

  // Takes a received report (id byte first) into the items of its report id: buttons pressed
  // or not, values, arrays. Any refusal fails the parse (RC_BAD_VALUE for an id without
  // items); the items may be part-updated then.
  [[nodiscard]] ResultCode parse(const uint8_t* report, size_t length);
  // A zeroed report of reportLength() bytes for report_id, filled from its items. RC_BAD_VALUE
  // when the map has no item of that id; *report is written on RC_OK only.
  [[nodiscard]] ResultCode build(uint8_t report_id, std::vector<uint8_t>* report) const;

 private:
  ReportMap(const ReportDescriptor& descriptor, HidReportType type, uint16_t page)
      : descriptor_(descriptor), codec_(descriptor), type_(type), page_(page) {}
  Item* findMutable(uint16_t usage);
  void add(const HidCapability& cap, uint16_t usage, Kind kind, size_t bytes);

  const ReportDescriptor& descriptor_;
  ReportCodec codec_;
  HidReportType type_;
  uint16_t page_;
  std::vector<Item> items_;
  std::unordered_map<uint16_t, size_t> index_;  // usage -> its item
};

}  // namespace gw
