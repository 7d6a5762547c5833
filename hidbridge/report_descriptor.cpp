// Report descriptor parsing: the item stream, the global and local state, and the fields each
// main item adds to its report.
#include "hidbridge/report_descriptor.h"

#include <algorithm>
#include <limits>
#include <map>
#include <optional>
#include <utility>

#include "platform/hid.h"

namespace gw {

namespace {

constexpr uint32_t kMaxReportBits = (kHidMaxReportBytes - 1) * 8;
constexpr uint32_t kMaxReportCount = 0xFFFF;

enum ItemType : uint8_t { kMain = 0, kGlobal = 1, kLocal = 2 };

enum MainTag : uint8_t {
  kInput = 0x8,
  kOutput = 0x9,
  kCollection = 0xA,
  kFeature = 0xB,
  kEndCollection = 0xC,
};

enum GlobalTag : uint8_t {
  kUsagePage = 0x0,
  kLogicalMinimum = 0x1,
  kLogicalMaximum = 0x2,
  kReportSize = 0x7,
  kReportId = 0x8,
  kReportCount = 0x9,
  kPush = 0xA,
  kPop = 0xB,
  kFirstReservedGlobal = 0xC,
};

enum LocalTag : uint8_t { kUsage = 0x0, kUsageMinimum = 0x1, kUsageMaximum = 0x2 };

constexpr uint8_t kLongItemPrefix = 0xFE;
constexpr uint32_t kConstantFlag = 0x01;
constexpr uint32_t kVariableFlag = 0x02;

struct GlobalState {
  uint16_t usage_page = 0;
  int64_t logical_min = 0;
  int64_t logical_max = 0;
  uint32_t report_size = 0;
  uint32_t report_count = 0;
  uint8_t report_id = 0;
};

// A usage given by the local items; its page is settled at the main item unless given.
struct LocalUsage {
  std::optional<uint16_t> page;
  uint16_t min = 0;
  uint16_t max = 0;
  bool range = false;
};

// A local usage bound: the usage, and the page when the item gave one in its upper 16 bits.
struct Bound {
  std::optional<uint16_t> page;
  uint16_t usage = 0;
};

int32_t clampToInt32(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

}  // namespace

// Walks the items of one descriptor into a ReportDescriptor.
class DescriptorParser {
 public:
  explicit DescriptorParser(ReportDescriptor& out) : out_(out) {}

  ResultCode run(const uint8_t* bytes, size_t length) {
    if (!bytes || length == 0 || length > kHidMaxDescriptorBytes) return RC_BAD_REPLY;
    size_t i = 0;
    while (i < length) {
      const uint8_t prefix = bytes[i++];
      if (prefix == kLongItemPrefix) return RC_BAD_REPLY;  // no device we serve uses them
      static constexpr size_t kSizes[4] = {0, 1, 2, 4};
      const size_t size = kSizes[prefix & 0x3];
      if (size > length - i) return RC_BAD_REPLY;  // truncated
      uint32_t data = 0;
      for (size_t b = 0; b < size; ++b) data |= static_cast<uint32_t>(bytes[i + b]) << (8 * b);
      const int64_t sdata = signExtend(data, size);
      i += size;
      const auto type = static_cast<uint8_t>((prefix >> 2) & 0x3);
      const auto tag = static_cast<uint8_t>(prefix >> 4);
      ResultCode rc = RC_BAD_REPLY;
      if (type == kMain) {
        rc = main(tag, data);
      } else if (type == kGlobal) {
        rc = global(tag, data, sdata, size);
      } else if (type == kLocal) {
        rc = local(tag, data, size);
      }
      if (rc != RC_OK) return rc;
    }
    if (depth_ != 0 || !any_field_) return RC_BAD_REPLY;
    for (const auto& [key, bits] : bits_) {
      size_t bytes_long = 1 + (bits + 7) / 8;
      size_t& longest = out_.report_length_[key.first];
      longest = std::max(longest, bytes_long);
      out_.id_length_[{static_cast<HidReportType>(key.first), key.second}] = bytes_long;
    }
    out_.numbered_ = numbered_ == true;
    return RC_OK;
  }

 private:
  static int64_t signExtend(uint32_t data, size_t size) {
    if (size == 1) return static_cast<int8_t>(data);
    if (size == 2) return static_cast<int16_t>(data);
    if (size == 4) return static_cast<int32_t>(data);
    return 0;
  }

  ResultCode global(uint8_t tag, uint32_t data, int64_t sdata, size_t size) {
    if (tag >= kFirstReservedGlobal) return RC_BAD_REPLY;
    switch (tag) {
      case kUsagePage:
        if (data > 0xFFFF) return RC_BAD_REPLY;
        g_.usage_page = static_cast<uint16_t>(data);
        break;
      case kLogicalMinimum:
        g_.logical_min = sdata;
        break;
      case kLogicalMaximum:
        // A maximum reads as signed only beside a negative minimum: "0 to 255" is common as
        // the one-byte 0xFF.
        g_.logical_max = g_.logical_min < 0 ? sdata : static_cast<int64_t>(data);
        break;
      case kReportSize:
        if (data == 0 || data > 32) return RC_BAD_REPLY;
        g_.report_size = data;
        break;
      case kReportId:
        if (data == 0 || data > 0xFF) return RC_BAD_REPLY;
        g_.report_id = static_cast<uint8_t>(data);
        break;
      case kReportCount:
        if (data > kMaxReportCount) return RC_BAD_REPLY;
        g_.report_count = data;
        break;
      case kPush:
        if (size != 0 || stack_.size() >= static_cast<size_t>(ReportDescriptor::kMaxDepth)) {
          return RC_BAD_REPLY;
        }
        stack_.push_back(g_);
        break;
      case kPop:
        if (size != 0 || stack_.empty()) return RC_BAD_REPLY;
        g_ = stack_.back();
        stack_.pop_back();
        break;
      default:
        break;  // physical range, unit and exponent do not change where fields lie
    }
    return RC_OK;
  }

  static Bound bound(uint32_t data, size_t size) {
    Bound b;
    b.usage = static_cast<uint16_t>(data & 0xFFFF);
    if (size == 4) b.page = static_cast<uint16_t>(data >> 16);
    return b;
  }

  ResultCode local(uint8_t tag, uint32_t data, size_t size) {
    if (tag == kUsage) {
      Bound b = bound(data, size);
      return addUsage(LocalUsage{b.page, b.usage, b.usage, false});
    }
    if (tag == kUsageMinimum || tag == kUsageMaximum) {
      (tag == kUsageMinimum ? min_ : max_) = bound(data, size);
      if (!min_ || !max_) return RC_OK;
      const Bound lo = *min_;
      const Bound hi = *max_;
      min_.reset();
      max_.reset();
      if (lo.page != hi.page || lo.usage > hi.usage) return RC_BAD_REPLY;
      return addUsage(LocalUsage{lo.page, lo.usage, hi.usage, true});
    }
    return RC_OK;  // designators, strings and delimiters name nothing we use
  }

  ResultCode addUsage(const LocalUsage& usage) {
    if (usages_.size() >= ReportDescriptor::kMaxUsages) return RC_BAD_REPLY;
    usages_.push_back(usage);
    return RC_OK;
  }

  void clearLocal() {
    usages_.clear();
    min_.reset();
    max_.reset();
  }

  ResultCode main(uint8_t tag, uint32_t data) {
    ResultCode rc = RC_OK;
    switch (tag) {
      case kInput:
        rc = field(HidReportType::kInput, data);
        break;
      case kOutput:
        rc = field(HidReportType::kOutput, data);
        break;
      case kFeature:
        rc = field(HidReportType::kFeature, data);
        break;
      case kCollection:
        if (depth_ >= ReportDescriptor::kMaxDepth) return RC_BAD_REPLY;
        ++depth_;
        break;
      case kEndCollection:
        if (depth_ == 0) return RC_BAD_REPLY;
        --depth_;
        break;
      default:
        return RC_BAD_REPLY;
    }
    clearLocal();
    return rc;
  }

  ResultCode field(HidReportType type, uint32_t flags) {
    // A lone Usage Minimum or Maximum leaves the fields' usages unknown.
    if (min_ || max_) return RC_BAD_REPLY;
    if (g_.report_size == 0) return RC_BAD_REPLY;
    const bool numbered = g_.report_id != 0;
    if (numbered_.has_value() && *numbered_ != numbered) return RC_BAD_REPLY;
    numbered_ = numbered;
    any_field_ = true;

    uint32_t& cursor = bits_[{static_cast<size_t>(type), g_.report_id}];
    const uint64_t bits = static_cast<uint64_t>(g_.report_size) * g_.report_count;
    if (cursor + bits > kMaxReportBits) return RC_BAD_REPLY;
    const uint32_t start = cursor;
    cursor += static_cast<uint32_t>(bits);
    if ((flags & kConstantFlag) != 0 || g_.report_count == 0) return RC_OK;  // padding

    HidCapability base;
    base.type = type;
    base.report_id = g_.report_id;
    base.bit_size = static_cast<uint8_t>(g_.report_size);
    base.logical_min = clampToInt32(g_.logical_min);
    base.logical_max = clampToInt32(g_.logical_max);
    std::vector<LocalUsage> usages = usages_;
    if (usages.empty()) usages.push_back(LocalUsage{});  // fields without a usage: usage 0
    for (LocalUsage& u : usages) {
      if (!u.page) u.page = g_.usage_page;
    }

    if ((flags & kVariableFlag) == 0) {
      // An array: every slot may select any of the usages, in the order they were given.
      uint32_t index = 0;
      for (const LocalUsage& u : usages) {
        HidCapability cap = base;
        cap.usage_page = *u.page;
        cap.is_range = u.range;
        cap.usage_min = u.min;
        cap.usage_max = u.max;
        cap.bit_offset = start;
        cap.count = static_cast<uint16_t>(g_.report_count);
        cap.is_button = true;
        cap.is_array = true;
        cap.first_index = static_cast<uint16_t>(std::min<uint32_t>(index, 0xFFFF));
        index += static_cast<uint32_t>(u.max - u.min) + 1;
        out_.caps_.push_back(cap);
      }
      return capped();
    }
    // A variable item: fields take the usages in order; the last usage takes the rest.
    uint32_t next = 0;
    for (size_t n = 0; n < usages.size() && next < g_.report_count; ++n) {
      const LocalUsage& u = usages[n];
      const uint32_t left = g_.report_count - next;
      const uint32_t span = static_cast<uint32_t>(u.max - u.min) + 1;
      const uint32_t take = n + 1 == usages.size() ? left : std::min(span, left);
      HidCapability cap = base;
      cap.usage_page = *u.page;
      cap.is_range = u.range;
      cap.usage_min = u.min;
      cap.usage_max = u.range ? static_cast<uint16_t>(std::min(span, take) - 1 + u.min) : u.min;
      cap.bit_offset = start + next * g_.report_size;
      cap.count = static_cast<uint16_t>(take);
      cap.is_button = g_.report_size == 1;
      out_.caps_.push_back(cap);
      next += take;
    }
    return capped();
  }

  ResultCode capped() const {
    return out_.caps_.size() > ReportDescriptor::kMaxCapabilities ? RC_BAD_REPLY : RC_OK;
  }

  ReportDescriptor& out_;
  GlobalState g_;
  std::vector<GlobalState> stack_;
  std::vector<LocalUsage> usages_;
  std::optional<Bound> min_;
  std::optional<Bound> max_;
  int depth_ = 0;
  bool any_field_ = false;
  std::optional<bool> numbered_;
  // Bits used so far, by report type and report id.
  std::map<std::pair<size_t, uint8_t>, uint32_t> bits_;
};

ResultCode ReportDescriptor::parse(const uint8_t* bytes, size_t length,
                                   std::unique_ptr<ReportDescriptor>* descriptor) {
  std::unique_ptr<ReportDescriptor> parsed(new ReportDescriptor());
  DescriptorParser parser(*parsed);
  ResultCode rc = parser.run(bytes, length);
  if (rc != RC_OK) return rc;
  *descriptor = std::move(parsed);
  return RC_OK;
}

size_t ReportDescriptor::reportLength(HidReportType type, uint8_t report_id) const {
  auto it = id_length_.find({type, report_id});
  return it == id_length_.end() ? 0 : it->second;
}

std::vector<HidCapability> ReportDescriptor::buttonCaps(HidReportType type) const {
  std::vector<HidCapability> out;
  for (const HidCapability& c : caps_) {
    if (c.type == type && c.is_button) out.push_back(c);
  }
  return out;
}

std::vector<HidCapability> ReportDescriptor::valueCaps(HidReportType type) const {
  std::vector<HidCapability> out;
  for (const HidCapability& c : caps_) {
    if (c.type == type && !c.is_button) out.push_back(c);
  }
  return out;
}

}  // namespace gw
