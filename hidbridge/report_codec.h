// Reads and writes usages in reports, by the capabilities of a ReportDescriptor: the report
// builder and report reader of the bridge.
//
// A report starts with its report id byte (0 when the device does not number its reports) and
// may be shorter than the type's longest report; a field beyond its end is refused. Setting a
// usage into a report whose id byte is still 0 gives it the usage's report id. Failures:
// RC_NOT_AVAILABLE when no capability of the type has the usage on the page; RC_BAD_VALUE when
// it lies only in reports of another id, when a value does not fit its field, or when a value
// is used as an array or the other way round; RC_BUFFER_TOO_SMALL when the report or the
// caller's array is too short, or an array item has no free slot for another button.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "hidbridge/report_descriptor.h"

namespace gw {

class ReportCodec {
 public:
  // The descriptor must outlive the codec.
  explicit ReportCodec(const ReportDescriptor& descriptor) : descriptor_(descriptor) {}

  // The raw bits of the field, unsigned.
  [[nodiscard]] ResultCode getUsageValue(HidReportType type, uint16_t page, uint16_t usage,
                                         const uint8_t* report, size_t length,
                                         uint32_t* value) const;
  [[nodiscard]] ResultCode setUsageValue(HidReportType type, uint16_t page, uint16_t usage,
                                         uint32_t value, uint8_t* report, size_t length) const;
  // A single usage with two or more fields: all its bits, packed from bit 0 of out[0] as in the
  // report. out_length must hold them.
  [[nodiscard]] ResultCode getUsageValueArray(HidReportType type, uint16_t page, uint16_t usage,
                                              const uint8_t* report, size_t length, uint8_t* out,
                                              size_t out_length) const;
  // in_length bytes into the array's bits; missing bytes are zero, extra bytes refused.
  [[nodiscard]] ResultCode setUsageValueArray(HidReportType type, uint16_t page, uint16_t usage,
                                              const uint8_t* in, size_t in_length,
                                              uint8_t* report, size_t length) const;
  // The pressed buttons of the page in the report. Usage 0 ("none") is never listed.
  [[nodiscard]] ResultCode pressedButtons(HidReportType type, uint16_t page,
                                          const uint8_t* report, size_t length,
                                          std::vector<uint16_t>* usages) const;
  // Marks each usage pressed (nothing is released).
  [[nodiscard]] ResultCode pressButtons(HidReportType type, uint16_t page,
                                        const std::vector<uint16_t>& usages, uint8_t* report,
                                        size_t length) const;

  // The same on one capability of the descriptor, for callers that looked it up once. The
  // usage must be one of the capability's; the report's id byte is checked as above.
  [[nodiscard]] ResultCode readValue(const HidCapability& cap, uint16_t usage,
                                     const uint8_t* report, size_t length, uint32_t* value) const;
  [[nodiscard]] ResultCode writeValue(const HidCapability& cap, uint16_t usage, uint32_t value,
                                      uint8_t* report, size_t length) const;
  [[nodiscard]] ResultCode readArray(const HidCapability& cap, const uint8_t* report,
                                     size_t length, uint8_t* out, size_t out_length) const;
  [[nodiscard]] ResultCode writeArray(const HidCapability& cap, const uint8_t* in,
                                      size_t in_length, uint8_t* report, size_t length) const;
  // Appends the pressed usages of one button capability (usage 0 never).
  [[nodiscard]] ResultCode readPressed(const HidCapability& cap, const uint8_t* report,
                                       size_t length, std::vector<uint16_t>* usages) const;
  [[nodiscard]] ResultCode pressButton(const HidCapability& cap, uint16_t usage, uint8_t* report,
                                       size_t length) const;

 private:
  // The capability of the type with the usage on the page, of report `report_id` (any id when
  // `any_id`).
  const HidCapability* find(HidReportType type, uint16_t page, uint16_t usage, bool buttons,
                            uint8_t report_id, bool any_id, ResultCode* rc) const;
  // Checks or gives the report's id byte for the capability.
  static ResultCode claimReport(const HidCapability& cap, uint8_t* report, size_t length);

  const ReportDescriptor& descriptor_;
};

}  // namespace gw
