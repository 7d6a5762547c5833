// Fuzz target for the report-descriptor parser and the report reader and builder behind it:
// any input is parsed; what parses must lie inside its reports, and every report it describes
// must build and parse back without touching memory outside its buffer.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "hidbridge/report_descriptor.h"
#include "hidbridge/report_map.h"

namespace {

void exercise(const gw::ReportDescriptor& d) {
  for (const gw::HidCapability& c : d.capabilities()) {
    const size_t length = d.reportLength(c.type, c.report_id);
    const uint64_t end = uint64_t{c.bit_offset} + uint64_t{c.count} * c.bit_size;
    if (length == 0 || end > (length - 1) * 8 || c.bit_size == 0 || c.bit_size > 32 ||
        c.usage_min > c.usage_max) {
      __builtin_trap();  // a capability outside its report: the parser's bounds failed
    }
  }
  for (gw::HidReportType type :
       {gw::HidReportType::kInput, gw::HidReportType::kOutput, gw::HidReportType::kFeature}) {
    for (uint16_t page : {uint16_t{0xFF01}, uint16_t{0x0001}, uint16_t{0x0007}, uint16_t{0x0009}}) {
      std::unique_ptr<gw::ReportMap> map;
      if (gw::ReportMap::create(d, type, page, &map) != RC_OK) continue;
      for (const gw::ReportMap::Item& item : map->items()) {
        if (item.kind != gw::ReportMap::Kind::kArray) (void)map->setValue(item.usage, 1);
      }
      for (uint8_t id : map->reportIds()) {
        std::vector<uint8_t> report;
        if (map->build(id, &report) != RC_OK) continue;
        (void)map->parse(report.data(), report.size());  // a refusal is a clean answer too
        // Shorter reports than the descriptor says, as a device may send.
        for (size_t cut = 1; cut < report.size(); cut += 1 + report.size() / 8) {
          (void)map->parse(report.data(), cut);
        }
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::unique_ptr<gw::ReportDescriptor> d;
  if (gw::ReportDescriptor::parse(data, size, &d) == RC_OK) exercise(*d);
  return 0;
}
