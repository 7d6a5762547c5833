// Field access inside reports: bit-exact reads and writes at the offsets the descriptor gave.
#include "hidbridge/report_codec.h"

#include <algorithm>
#include <cstring>

namespace gw {
namespace {

// Fields lie after the id byte.
bool fits(size_t length, uint64_t end_bit) { return length >= 1 && (length - 1) * 8 >= end_bit; }

uint32_t readBits(const uint8_t* report, uint32_t offset, uint32_t size) {
  const uint8_t* data = report + 1;
  uint32_t v = 0;
  for (uint32_t i = 0; i < size; ++i) {
    uint32_t bit = offset + i;
    if ((data[bit / 8] >> (bit % 8)) & 1u) v |= 1u << i;
  }
  return v;
}

void writeBits(uint8_t* report, uint32_t offset, uint32_t size, uint32_t value) {
  uint8_t* data = report + 1;
  for (uint32_t i = 0; i < size; ++i) {
    uint32_t bit = offset + i;
    auto mask = static_cast<uint8_t>(1u << (bit % 8));
    if ((value >> i) & 1u) {
      data[bit / 8] = static_cast<uint8_t>(data[bit / 8] | mask);
    } else {
      data[bit / 8] = static_cast<uint8_t>(data[bit / 8] & ~mask);
    }
  }
}

bool valueFits(uint32_t value, uint32_t size) { return size >= 32 || (value >> size) == 0; }

// The selector in an array slot, signed where the logical range is.
int64_t selector(const HidCapability& cap, uint32_t raw) {
  if (cap.logical_min < 0 && cap.bit_size < 32 && ((raw >> (cap.bit_size - 1)) & 1u)) {
    return static_cast<int64_t>(raw) - (int64_t{1} << cap.bit_size);
  }
  return cap.bit_size == 32 && cap.logical_min < 0 ? static_cast<int32_t>(raw) : raw;
}

// The usage a selector picks in this capability; 0 when it picks none of its usages.
uint16_t selectedUsage(const HidCapability& cap, int64_t sel) {
  int64_t index = sel - cap.logical_min - cap.first_index;
  if (index < 0 || index > cap.usage_max - cap.usage_min) return 0;
  return static_cast<uint16_t>(cap.usage_min + index);
}

bool isArrayValue(const HidCapability& cap) { return !cap.is_range && cap.count > 1; }

}  // namespace

const HidCapability* ReportCodec::find(HidReportType type, uint16_t page, uint16_t usage,
                                       bool buttons, uint8_t report_id, bool any_id,
                                       ResultCode* rc) const {
  *rc = RC_NOT_AVAILABLE;
  for (const HidCapability& cap : descriptor_.capabilities()) {
    if (cap.type != type || cap.is_button != buttons || cap.usage_page != page) continue;
    if (usage < cap.usage_min || usage > cap.usage_max) continue;
    if (any_id || cap.report_id == report_id) {
      *rc = RC_OK;
      return &cap;
    }
    *rc = RC_BAD_VALUE;  // the usage exists, in a report of another id
  }
  return nullptr;
}

ResultCode ReportCodec::claimReport(const HidCapability& cap, uint8_t* report, size_t length) {
  if (length == 0) return RC_BUFFER_TOO_SMALL;
  if (report[0] == 0) {
    report[0] = cap.report_id;
  } else if (report[0] != cap.report_id) {
    return RC_BAD_VALUE;
  }
  return RC_OK;
}

ResultCode ReportCodec::readValue(const HidCapability& cap, uint16_t usage,
                                  const uint8_t* report, size_t length, uint32_t* value) const {
  if (!report || length == 0) return RC_BUFFER_TOO_SMALL;
  if (report[0] != cap.report_id || isArrayValue(cap)) return RC_BAD_VALUE;
  const uint32_t offset = cap.bit_offset + (usage - cap.usage_min) * cap.bit_size;
  if (!fits(length, uint64_t{offset} + cap.bit_size)) return RC_BUFFER_TOO_SMALL;
  *value = readBits(report, offset, cap.bit_size);
  return RC_OK;
}

ResultCode ReportCodec::writeValue(const HidCapability& cap, uint16_t usage, uint32_t value,
                                   uint8_t* report, size_t length) const {
  if (!report || length == 0) return RC_BUFFER_TOO_SMALL;
  if (isArrayValue(cap) || !valueFits(value, cap.bit_size)) return RC_BAD_VALUE;
  const uint32_t offset = cap.bit_offset + (usage - cap.usage_min) * cap.bit_size;
  if (!fits(length, uint64_t{offset} + cap.bit_size)) return RC_BUFFER_TOO_SMALL;
  ResultCode rc = claimReport(cap, report, length);
  if (rc != RC_OK) return rc;
  writeBits(report, offset, cap.bit_size, value);
  return RC_OK;
}

ResultCode ReportCodec::readArray(const HidCapability& cap, const uint8_t* report, size_t length,
                                  uint8_t* out, size_t out_length) const {
  if (!report || length == 0) return RC_BUFFER_TOO_SMALL;
  if (report[0] != cap.report_id || !isArrayValue(cap)) return RC_BAD_VALUE;
  const uint32_t total = uint32_t{cap.count} * cap.bit_size;
  if (out_length * 8 < total || !fits(length, uint64_t{cap.bit_offset} + total)) {
    return RC_BUFFER_TOO_SMALL;
  }
  std::memset(out, 0, (total + 7) / 8);
  for (uint32_t i = 0; i < total; ++i) {
    uint32_t bit = cap.bit_offset + i;
    if ((report[1 + bit / 8] >> (bit % 8)) & 1u) {
      out[i / 8] = static_cast<uint8_t>(out[i / 8] | (1u << (i % 8)));
    }
  }
  return RC_OK;
}

ResultCode ReportCodec::writeArray(const HidCapability& cap, const uint8_t* in, size_t in_length,
                                   uint8_t* report, size_t length) const {
  if (!report || length == 0) return RC_BUFFER_TOO_SMALL;
  if (!isArrayValue(cap)) return RC_BAD_VALUE;
  const uint32_t total = uint32_t{cap.count} * cap.bit_size;
  if (in_length > (total + 7) / 8) return RC_BAD_VALUE;
  if (!fits(length, uint64_t{cap.bit_offset} + total)) return RC_BUFFER_TOO_SMALL;
  ResultCode rc = claimReport(cap, report, length);
  if (rc != RC_OK) return rc;
  for (uint32_t i = 0; i < total; ++i) {
    uint32_t bit = i / 8 < in_length ? (in[i / 8] >> (i % 8)) & 1u : 0u;
    writeBits(report, cap.bit_offset + i, 1, bit);
  }
  return RC_OK;
}

ResultCode ReportCodec::readPressed(const HidCapability& cap, const uint8_t* report,
                                    size_t length, std::vector<uint16_t>* usages) const {
  if (!report || length == 0) return RC_BUFFER_TOO_SMALL;
  if (report[0] != cap.report_id || !cap.is_button) return RC_BAD_VALUE;
  if (!fits(length, uint64_t{cap.bit_offset} + uint64_t{cap.count} * cap.bit_size)) {
    return RC_BUFFER_TOO_SMALL;
  }
  for (uint32_t k = 0; k < cap.count; ++k) {
    const uint32_t raw = readBits(report, cap.bit_offset + k * cap.bit_size, cap.bit_size);
    uint16_t usage = 0;
    if (cap.is_array) {
      usage = selectedUsage(cap, selector(cap, raw));
    } else if (raw != 0) {
      usage = static_cast<uint16_t>(std::min<uint32_t>(cap.usage_min + k, cap.usage_max));
    }
    if (usage != 0) usages->push_back(usage);
  }
  return RC_OK;
}

ResultCode ReportCodec::pressButton(const HidCapability& cap, uint16_t usage, uint8_t* report,
                                    size_t length) const {
  if (!report || length == 0) return RC_BUFFER_TOO_SMALL;
  if (!cap.is_button) return RC_BAD_VALUE;
  if (!fits(length, uint64_t{cap.bit_offset} + uint64_t{cap.count} * cap.bit_size)) {
    return RC_BUFFER_TOO_SMALL;
  }
  ResultCode rc = claimReport(cap, report, length);
  if (rc != RC_OK) return rc;
  if (!cap.is_array) {
    writeBits(report, cap.bit_offset + (usage - cap.usage_min), 1, 1);
    return RC_OK;
  }
  const int64_t want = int64_t{cap.logical_min} + cap.first_index + (usage - cap.usage_min);
  const uint32_t mask = cap.bit_size >= 32 ? ~0u : (1u << cap.bit_size) - 1;
  const uint32_t raw_want = static_cast<uint32_t>(want) & mask;
  if (selector(cap, raw_want) != want) return RC_BAD_VALUE;  // the slot cannot hold it
  // A slot is free when its selector picks no usage of the item (or usage 0, "none").
  auto picksSomething = [&](uint32_t raw) {
    for (const HidCapability& other : descriptor_.capabilities()) {
      if (other.type == cap.type && other.is_array && other.report_id == cap.report_id &&
          other.bit_offset == cap.bit_offset && selectedUsage(other, selector(other, raw))) {
        return true;
      }
    }
    return false;
  };
  for (uint32_t k = 0; k < cap.count; ++k) {
    const uint32_t offset = cap.bit_offset + k * cap.bit_size;
    const uint32_t raw = readBits(report, offset, cap.bit_size);
    if (selector(cap, raw) == want) return RC_OK;  // already pressed
    if (!picksSomething(raw)) {
      writeBits(report, offset, cap.bit_size, raw_want);
      return RC_OK;
    }
  }
  return RC_BUFFER_TOO_SMALL;
}

ResultCode ReportCodec::getUsageValue(HidReportType type, uint16_t page, uint16_t usage,
                                      const uint8_t* report, size_t length,
                                      uint32_t* value) const {
  if (!report || length == 0) return RC_BUFFER_TOO_SMALL;
  ResultCode rc;
  const HidCapability* cap = find(type, page, usage, false, report[0], false, &rc);
  return cap ? readValue(*cap, usage, report, length, value) : rc;
}

ResultCode ReportCodec::setUsageValue(HidReportType type, uint16_t page, uint16_t usage,
                                      uint32_t value, uint8_t* report, size_t length) const {
  if (!report || length == 0) return RC_BUFFER_TOO_SMALL;
  ResultCode rc;
  const bool any = descriptor_.numbered() && report[0] == 0;
  const HidCapability* cap = find(type, page, usage, false, report[0], any, &rc);
  return cap ? writeValue(*cap, usage, value, report, length) : rc;
}

ResultCode ReportCodec::getUsageValueArray(HidReportType type, uint16_t page, uint16_t usage,
                                           const uint8_t* report, size_t length, uint8_t* out,
                                           size_t out_length) const {
  if (!report || length == 0) return RC_BUFFER_TOO_SMALL;
  ResultCode rc;
  const HidCapability* cap = find(type, page, usage, false, report[0], false, &rc);
  return cap ? readArray(*cap, report, length, out, out_length) : rc;
}

ResultCode ReportCodec::setUsageValueArray(HidReportType type, uint16_t page, uint16_t usage,
                                           const uint8_t* in, size_t in_length, uint8_t* report,
                                           size_t length) const {
  if (!report || length == 0) return RC_BUFFER_TOO_SMALL;
  ResultCode rc;
  const bool any = descriptor_.numbered() && report[0] == 0;
  const HidCapability* cap = find(type, page, usage, false, report[0], any, &rc);
  return cap ? writeArray(*cap, in, in_length, report, length) : rc;
}

ResultCode ReportCodec::pressedButtons(HidReportType type, uint16_t page, const uint8_t* report,
                                       size_t length, std::vector<uint16_t>* usages) const {
  if (!report || length == 0) return RC_BUFFER_TOO_SMALL;
  ResultCode rc = RC_NOT_AVAILABLE;
  std::vector<uint16_t> pressed;
  for (const HidCapability& cap : descriptor_.capabilities()) {
    if (cap.type != type || !cap.is_button || cap.usage_page != page) continue;
    if (cap.report_id != report[0]) {
      if (rc != RC_OK) rc = RC_BAD_VALUE;  // the page has buttons, in another report
      continue;
    }
    rc = readPressed(cap, report, length, &pressed);
    if (rc != RC_OK) return rc;
  }
  if (rc != RC_OK) return rc;
  // Every usage once, in the order found.
  std::vector<uint16_t> unique;
  std::vector<bool> seen(0x10000, false);
  for (uint16_t u : pressed) {
    if (!seen[u]) unique.push_back(u);
    seen[u] = true;
  }
  *usages = std::move(unique);
  return RC_OK;
}

ResultCode ReportCodec::pressButtons(HidReportType type, uint16_t page,
                                     const std::vector<uint16_t>& usages, uint8_t* report,
                                     size_t length) const {
  if (!report || length == 0) return RC_BUFFER_TOO_SMALL;
  for (uint16_t usage : usages) {
    ResultCode rc;
    const bool any = descriptor_.numbered() && report[0] == 0;
    const HidCapability* cap = find(type, page, usage, true, report[0], any, &rc);
    if (!cap) return rc;
    if ((rc = pressButton(*cap, usage, report, length)) != RC_OK) return rc;
  }
  return RC_OK;
}

}  // namespace gw
