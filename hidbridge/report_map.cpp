// Report maps: items from capabilities, and whole reports parsed into them and built from them.
#include "hidbridge/report_map.h"

#include <algorithm>
#include <new>

namespace gw {

ResultCode ReportMap::create(const ReportDescriptor& descriptor, HidReportType type,
                             uint16_t usage_page, std::unique_ptr<ReportMap>* map) {
  std::unique_ptr<ReportMap> made(new (std::nothrow) ReportMap(descriptor, type, usage_page));
  if (!made) return RC_NO_MEMORY;
  auto add = [&](uint16_t usage, Kind kind, uint8_t id, size_t bytes) {
    if (made->find(usage)) return;  // the first report that has it keeps it
    Item item;
    item.usage = usage;
    item.kind = kind;
    item.report_id = id;
    item.bytes.assign(bytes, 0);
    made->items_.push_back(std::move(item));
  };
  for (const HidCapability& cap : descriptor.capabilities()) {
    if (cap.type != type || cap.usage_page != usage_page) continue;
    if (cap.is_button || cap.is_range) {
      // Every usage of a range, up to the last one a field carries.
      for (uint32_t u = cap.usage_min; u <= cap.usage_max; ++u) {
        add(static_cast<uint16_t>(u), cap.is_button ? Kind::kButton : Kind::kValue,
            cap.report_id, 0);
      }
    } else if (cap.count < 2) {
      add(cap.usage_min, Kind::kValue, cap.report_id, 0);
    } else {
      add(cap.usage_min, Kind::kArray, cap.report_id,
          (size_t{cap.bit_size} * cap.count + 7) / 8);
    }
  }
  *map = std::move(made);
  return RC_OK;
}

const ReportMap::Item* ReportMap::find(uint16_t usage) const {
  for (const Item& item : items_) {
    if (item.usage == usage) return &item;
  }
  return nullptr;
}

ReportMap::Item* ReportMap::findMutable(uint16_t usage) {
  return const_cast<Item*>(static_cast<const ReportMap*>(this)->find(usage));
}

std::vector<uint8_t> ReportMap::reportIds() const {
  std::vector<uint8_t> ids;
  for (const Item& item : items_) {
    if (std::find(ids.begin(), ids.end(), item.report_id) == ids.end()) {
      ids.push_back(item.report_id);
    }
  }
  return ids;
}

ResultCode ReportMap::value(uint16_t usage, int32_t* value) const {
  const Item* item = find(usage);
  if (!item) return RC_NOT_AVAILABLE;
  if (item->kind == Kind::kArray) return RC_BAD_VALUE;
  *value = item->value;
  return RC_OK;
}

ResultCode ReportMap::setValue(uint16_t usage, int32_t value) {
  Item* item = findMutable(usage);
  if (!item) return RC_NOT_AVAILABLE;
  if (item->kind == Kind::kArray) return RC_BAD_VALUE;
  item->value = value;
  return RC_OK;
}

ResultCode ReportMap::bytes(uint16_t usage, const std::vector<uint8_t>** bytes) const {
  const Item* item = find(usage);
  if (!item) return RC_NOT_AVAILABLE;
  if (item->kind != Kind::kArray) return RC_BAD_VALUE;
  *bytes = &item->bytes;
  return RC_OK;
}

ResultCode ReportMap::setBytes(uint16_t usage, const uint8_t* bytes, size_t count) {
  Item* item = findMutable(usage);
  if (!item) return RC_NOT_AVAILABLE;
  if (item->kind != Kind::kArray || count > item->bytes.size()) return RC_BAD_VALUE;
  std::fill(item->bytes.begin(), item->bytes.end(), 0);
  std::copy(bytes, bytes + count, item->bytes.begin());
  return RC_OK;
}

ResultCode ReportMap::parse(const uint8_t* report, size_t length) {
  if (!report || length == 0) return RC_BUFFER_TOO_SMALL;
  const uint8_t id = report[0];
  bool has_items = false;
  bool has_buttons = false;
  for (const Item& item : items_) {
    has_items |= item.report_id == id;
    has_buttons |= item.kind == Kind::kButton && item.report_id == id;
  }
  // A report none of whose fields we know must not leave the items as they were, looking new.
  if (!has_items) return RC_BAD_VALUE;
  std::vector<uint16_t> pressed;
  if (has_buttons) {
    ResultCode rc = codec_.pressedButtons(type_, page_, report, length, &pressed);
    if (rc != RC_OK) return rc;
  }
  for (Item& item : items_) {
    if (item.report_id != id) continue;
    ResultCode rc = RC_OK;
    if (item.kind == Kind::kButton) {
      item.value = std::find(pressed.begin(), pressed.end(), item.usage) != pressed.end();
    } else if (item.kind == Kind::kValue) {
      uint32_t raw = 0;
      rc = codec_.getUsageValue(type_, page_, item.usage, report, length, &raw);
      if (rc == RC_OK) item.value = static_cast<int32_t>(raw);
    } else {
      rc = codec_.getUsageValueArray(type_, page_, item.usage, report, length, item.bytes.data(),
                                     item.bytes.size());
    }
    if (rc != RC_OK) return rc;
  }
  return RC_OK;
}

ResultCode ReportMap::build(uint8_t report_id, std::vector<uint8_t>* report) const {
  std::vector<uint8_t> out(std::max<size_t>(descriptor_.reportLength(type_, report_id), 1), 0);
  out[0] = report_id;
  bool any = false;
  std::vector<uint16_t> pressed;
  for (const Item& item : items_) {
    if (item.report_id != report_id) continue;
    any = true;
    ResultCode rc = RC_OK;
    if (item.kind == Kind::kButton) {
      if (item.value != 0) pressed.push_back(item.usage);
    } else if (item.kind == Kind::kValue) {
      rc = codec_.setUsageValue(type_, page_, item.usage, static_cast<uint32_t>(item.value),
                                out.data(), out.size());
    } else {
      rc = codec_.setUsageValueArray(type_, page_, item.usage, item.bytes.data(),
                                     item.bytes.size(), out.data(), out.size());
    }
    if (rc != RC_OK) return rc;
  }
  if (!any) return RC_BAD_VALUE;
  if (!pressed.empty()) {
    ResultCode rc = codec_.pressButtons(type_, page_, pressed, out.data(), out.size());
    if (rc != RC_OK) return rc;
  }
  *report = std::move(out);
  return RC_OK;
}

}  // namespace gw
