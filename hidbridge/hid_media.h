// The USB Media (type 3): a serial line carried inside the vendor reports of a HID UPS.
//
// Each byte written goes out as one output report (usage 21 = 1, usage 23 = the byte), the
// bytes an input report brings (usage 22 of them in usage 24) are what a read returns, and the
// line rate and the control signals are fields of the feature report. All usages are on page
// kVendorPage. Writes pace their reports charDelayMs (50 ms) apart, none after the last; each
// output report may take writeWaitMs (50 ms); a read waits readTimeoutMs (120 ms) for each
// report. Every pause and wait goes through the Clock and the HidDevice. index() stays 1
// whichever device was opened. Single-threaded. Freed through release(), by the library that
// made it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "driver/media/media.h"
#include "hidbridge/report_descriptor.h"
#include "hidbridge/report_map.h"
#include "platform/clock.h"
#include "platform/hid.h"

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

class HidMedia final : public Media {
 public:
  static constexpr int kWriteWaitMs = 50;

  // A closed media that will look for devices with these ids on the bus; null when memory
  // runs out. The clock and the bus must outlive it.
  static MediaPtr create(Clock& clock, HidBus& bus, uint16_t vendor_id, uint16_t product_id);

  // Opens the index-th matching device in the bus's order (1 is the first), reads its report
  // descriptor, builds the three report maps, empties its input queue and reads its feature
  // report. False when any step fails; a second open fails too.
  bool open(int index) override;
  // Returns the bytes sent; stops at the first report that cannot be built or sent.
  int write(const uint8_t* bytes, int count) override;
  // count > 0: until count bytes; count = -1: until kMediaReadAllMax bytes (`buffer` must hold
  // that many). Either way a report that does not come in time, cannot be parsed, or carries 0
  // bytes or more than its array holds ends the read. Bytes of the last report beyond what the
  // caller asked for are kept for the next read (a write discards them).
  int read(uint8_t* buffer, int count) override;
  // Only the rates of kHidLineRates; anything else is refused without a report sent.
  bool setBaudRate(int rate) override;
  // From a freshly read feature report: DSR, CTS, ring and DCD, plus the DTR (0x08) and RTS
  // (0x40) states. False when the report or one of the six usages cannot be read.
  bool getLineStatus(uint32_t* flags) override;
  // Refused for a mask with a bit of kRefusedLineMask or none of DTR, RTS and break. Break is
  // accepted and does nothing; DTR and RTS are set and the feature report sent.
  bool setLines(uint32_t mask, bool on) override;

  int writeWaitMs() const { return write_wait_ms_; }

 private:
  HidMedia(Clock& clock, HidBus& bus, uint16_t vendor_id, uint16_t product_id);
  ~HidMedia() override = default;
  bool sendFeature(uint8_t report_id);
  bool fetchFeature(uint8_t report_id);
  // The bytes one input report brings, appended to *bytes; false when the read must end.
  bool readReport(std::string* bytes);

  Clock& clock_;
  HidBus& bus_;
  uint16_t vendor_id_;
  uint16_t product_id_;
  int write_wait_ms_ = kWriteWaitMs;
  std::unique_ptr<HidDevice> device_;
  std::unique_ptr<ReportDescriptor> descriptor_;
  std::unique_ptr<ReportMap> feature_;
  std::unique_ptr<ReportMap> input_;
  std::unique_ptr<ReportMap> output_;
  std::string pending_;  // received bytes the caller has not asked for yet
};

}  // namespace gw
