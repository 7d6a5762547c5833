// The report layout of the USB UPS's serial bridge, as the UPS presents it and the bridge reads
// it: the vendor usage page, its usages and the line rates. The simulator's HID UPS plays the
// same layout.
#pragma once

#include <cstdint>

namespace gw {

inline constexpr uint16_t kVendorPage = 0xFF01;

// The usages of kVendorPage.
enum HidUpsUsage : uint16_t {
  kUsageLineRate = 2,  // feature: index into kHidLineRates
  kUsageDtr = 8,       // feature: DTR driven, and its state
  kUsageRts = 9,
  kUsageCts = 10,
  kUsageDsr = 11,
  kUsageRing = 12,
  kUsageDcd = 13,
  kUsageOutputCount = 21,  // output: data bytes in this report
  kUsageInputCount = 22,   // input: data bytes in this report
  kUsageOutputByte = 23,
  kUsageInputBytes = 24,
};

// The line rates the feature report can select, by index.
inline constexpr int kHidLineRates[] = {1200, 2400, 4800, 9600, 14400, 28800, 57600};

}  // namespace gw
