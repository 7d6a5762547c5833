// The serial line over HID reports: open, paced writes, timed reads and the feature report's
// line settings.
#include "hidbridge/hid_media.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

namespace gw {

MediaPtr HidMedia::create(Clock& clock, HidBus& bus, uint16_t vendor_id, uint16_t product_id) {
  return MediaPtr(new (std::nothrow) HidMedia(clock, bus, vendor_id, product_id));
}

HidMedia::HidMedia(Clock& clock, HidBus& bus, uint16_t vendor_id, uint16_t product_id)
    : clock_(clock), bus_(bus), vendor_id_(vendor_id), product_id_(product_id) {
  index_ = 1;
  media_type_ = kMediaUsb;
}

bool HidMedia::open(int index) {
  if (device_ || index < 1) return false;
  std::vector<HidDeviceInfo> devices;
  if (bus_.enumerate(vendor_id_, product_id_, &devices) != RC_OK) return false;
  if (static_cast<size_t>(index) > devices.size()) return false;
  std::unique_ptr<HidDevice> device;
  if (bus_.open(devices[static_cast<size_t>(index) - 1].path, &device) != RC_OK || !device) {
    return false;
  }
  std::vector<uint8_t> raw;
  std::unique_ptr<ReportDescriptor> descriptor;
  if (device->reportDescriptor(&raw) != RC_OK ||
      ReportDescriptor::parse(raw.data(), raw.size(), &descriptor) != RC_OK) {
    return false;
  }
  std::unique_ptr<ReportMap> feature, input, output;
  if (ReportMap::create(*descriptor, HidReportType::kFeature, kVendorPage, &feature) != RC_OK ||
      ReportMap::create(*descriptor, HidReportType::kInput, kVendorPage, &input) != RC_OK ||
      ReportMap::create(*descriptor, HidReportType::kOutput, kVendorPage, &output) != RC_OK) {
    return false;
  }
  // The kernel's raw HID node already queues 64 input reports: nothing to set for that.
  device_ = std::move(device);
  descriptor_ = std::move(descriptor);
  feature_ = std::move(feature);
  input_ = std::move(input);
  output_ = std::move(output);
  device_->flushInput();
  std::vector<uint8_t> ids = feature_->reportIds();
  // The first read of the feature report gives the maps the device's present line state.
  bool read = !ids.empty();
  for (uint8_t id : ids) read = read && fetchFeature(id);
  if (!read) {
    // A device that cannot give its line state is no UPS line; nothing half-open is kept.
    output_.reset();
    input_.reset();
    feature_.reset();
    descriptor_.reset();
    device_.reset();
    return false;
  }
  return true;
}

bool HidMedia::fetchFeature(uint8_t report_id) {
  std::vector<uint8_t> report(std::max<size_t>(feature_->reportLength(), 1));
  size_t got = 0;
  if (device_->getFeature(report_id, report.data(), report.size(), &got) != RC_OK || got == 0) {
    return false;
  }
  return feature_->parse(report.data(), got) == RC_OK;
}

bool HidMedia::sendFeature(uint8_t report_id) {
  std::vector<uint8_t> report;
  if (feature_->build(report_id, &report) != RC_OK) return false;
  return device_->setFeature(report.data(), report.size()) == RC_OK;
}

int HidMedia::write(const uint8_t* bytes, int count) {
  if (!device_ || !bytes || count <= 0) return 0;
  // Answers to an earlier command must not be taken for answers to this one.
  device_->flushInput();
  pending_.clear();
  const ReportMap::Item* data = output_->find(kUsageOutputByte);
  const ReportMap::Item* counter = output_->find(kUsageOutputCount);
  if (!data || !counter) return 0;
  int written = 0;
  for (int i = 0; i < count; ++i) {
    // The UPS's receiver behind the bridge needs the gap between characters.
    if (i > 0) clock_.sleepMs(char_delay_ms_);
    const uint8_t byte = bytes[i];
    ResultCode rc = output_->setValue(kUsageOutputCount, 1);
    if (rc == RC_OK) {
      rc = data->kind == ReportMap::Kind::kArray ? output_->setBytes(kUsageOutputByte, &byte, 1)
                                                 : output_->setValue(kUsageOutputByte, byte);
    }
    std::vector<uint8_t> report;
    if (rc != RC_OK || output_->build(data->report_id, &report) != RC_OK) break;
    if (device_->writeOutput(report.data(), report.size(), write_wait_ms_) != RC_OK) break;
    ++written;
  }
  return written;
}

bool HidMedia::readReport(std::string* bytes) {
  const size_t length = std::max<size_t>(input_->reportLength(), 2);
  std::vector<uint8_t> report(length);
  // An unnumbered device sends bare data; the maps always see an id byte first.
  const size_t at = descriptor_->numbered() ? 0 : 1;
  size_t got = 0;
  if (device_->readInput(report.data() + at, report.size() - at, read_timeout_ms_, &got) !=
      RC_OK) {
    return false;
  }
  if (input_->parse(report.data(), got + at) != RC_OK) return false;
  int32_t n = 0;
  if (input_->value(kUsageInputCount, &n) != RC_OK || n <= 0) return false;
  const ReportMap::Item* data = input_->find(kUsageInputBytes);
  if (!data) return false;
  if (data->kind == ReportMap::Kind::kArray) {
    if (static_cast<size_t>(n) > data->bytes.size()) return false;
    bytes->append(reinterpret_cast<const char*>(data->bytes.data()), static_cast<size_t>(n));
  } else {
    if (n > 1) return false;
    bytes->push_back(static_cast<char>(data->value));
  }
  return true;
}

int HidMedia::read(uint8_t* buffer, int count) {
  if (!device_ || !buffer || (count <= 0 && count != -1)) return 0;
  const size_t want = count == -1 ? kMediaReadAllMax : static_cast<size_t>(count);
  while (pending_.size() < want && readReport(&pending_)) {
  }
  const size_t n = std::min(want, pending_.size());
  std::memcpy(buffer, pending_.data(), n);
  pending_.erase(0, n);
  return static_cast<int>(n);
}

bool HidMedia::setBaudRate(int rate) {
  if (!device_) return false;
  const auto* end = std::end(kHidLineRates);
  const auto* found = std::find(std::begin(kHidLineRates), end, rate);
  if (found == end) return false;
  const ReportMap::Item* item = feature_->find(kUsageLineRate);
  if (!item) return false;
  if (feature_->setValue(kUsageLineRate, static_cast<int32_t>(found - kHidLineRates)) != RC_OK) {
    return false;
  }
  return sendFeature(item->report_id);
}

bool HidMedia::getLineStatus(uint32_t* flags) {
  if (!device_ || !flags) return false;
  static constexpr std::pair<uint16_t, uint32_t> kBits[] = {
      {kUsageDsr, LS_DSR}, {kUsageCts, LS_CTS}, {kUsageRing, LS_RING},
      {kUsageDcd, LS_DCD}, {kUsageDtr, LC_DTR}, {kUsageRts, LC_RTS}};
  std::vector<uint8_t> fetched;
  for (const auto& [usage, bit] : kBits) {
    const ReportMap::Item* item = feature_->find(usage);
    if (!item) return false;
    if (std::find(fetched.begin(), fetched.end(), item->report_id) != fetched.end()) continue;
    if (!fetchFeature(item->report_id)) return false;
    fetched.push_back(item->report_id);
  }
  uint32_t status = 0;
  for (const auto& [usage, bit] : kBits) {
    int32_t v = 0;
    if (feature_->value(usage, &v) != RC_OK) return false;
    if (v != 0) status |= bit;
  }
  *flags = status;
  return true;
}

bool HidMedia::setLines(uint32_t mask, bool on) {
  if ((mask & kRefusedLineMask) != 0 || (mask & (LC_DTR | LC_RTS | LC_BREAK)) == 0) return false;
  if (!device_) return false;
  std::vector<uint8_t> ids;
  for (auto [line, usage] : {std::pair{LC_DTR, kUsageDtr}, std::pair{LC_RTS, kUsageRts}}) {
    if ((mask & line) == 0) continue;
    const ReportMap::Item* item = feature_->find(usage);
    if (!item || feature_->setValue(usage, on ? 1 : 0) != RC_OK) return false;
    if (std::find(ids.begin(), ids.end(), item->report_id) == ids.end()) {
      ids.push_back(item->report_id);
    }
  }
  // A break alone changes no field; the report still goes out, as it would with DTR or RTS.
  if (ids.empty()) {
    const ReportMap::Item* dtr = feature_->find(kUsageDtr);
    if (!dtr) return false;
    ids.push_back(dtr->report_id);
  }
  for (uint8_t id : ids) {
    if (!sendFeature(id)) return false;
  }
  return true;
}

}  // namespace gw
