// Report maps: items from capabilities, and whole reports parsed into them and built from them.
#include "hidbridge/report_map.h"

#include <algorithm>
#include <new>

namespace gw {

ResultCode ReportMap::create(const ReportDescriptor& descriptor, HidReportType type,
                             uint16_t usage_page, std::unique_ptr<ReportMap>* map) {
  std::unique_ptr<ReportMap> made(new (std::nothrow) ReportMap(descriptor, type, usage_page));
  if (!made) return RC_NO_MEMORY;
  for (const HidCapability& cap : descriptor.capabilities()) {
    if (cap.type != type || cap.usage_page != usage_page) continue;
    if (cap.is_button || cap.is_range) {
      // Every usage of a range, up to the last one a field carries.
      for (uint32_t u = cap.usage_min; u <= cap.usage_max; ++u) {
        made->add(cap, static_cast<uint16_t>(u), cap.is_button ? Kind::kButton : Kind::kValue, 0);
      }
    } else if (cap.count < 2) {
      made->add(cap, cap.usage_min, Kind::kValue, 0);
    } else {
      made->add(cap, cap.usage_min, Kind::kArray, (size_t{cap.bit_size} * cap.count + 7) / 8);
    }
  }
  *map = std::move(made);
  return RC_OK;
}

void ReportMap::add(const HidCapability& cap, uint16_t usage, Kind kind, size_t bytes) {
  if (index_.count(usage) != 0) return;  // the first report that has it keeps it
  Item item;
  item.usage = usage;
  item.kind = kind;
  item.report_id = cap.report_id;
  item.bytes.assign(bytes, 0);
  item.cap = &cap;
  index_.emplace(usage, items_.size());
  items_.push_back(std::move(item));
}

const ReportMap::Item* ReportMap::find(uint16_t usage) const {
  auto it = index_.find(usage);
  return it == index_.end() ? nullptr : &items_[it->second];
}

ReportMap::Item* ReportMap::findMutable(uint16_t usage) {
  auto it = index_.find(usage);
  return it == index_.end() ? nullptr : &items_[it->second];
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
  std::vector<bool> pressed;
  if (has_buttons) {
    std::vector<uint16_t> usages;
    for (const HidCapability& cap : descriptor_.capabilities()) {
      if (cap.type != type_ || !cap.is_button || cap.usage_page != page_ || cap.report_id != id) {
        continue;
      }
      ResultCode rc = codec_.readPressed(cap, report, length, &usages);
      if (rc != RC_OK) return rc;
    }
    pressed.assign(0x10000, false);
    for (uint16_t u : usages) pressed[u] = true;
  }
  for (Item& item : items_) {
    if (item.report_id != id) continue;
    ResultCode rc = RC_OK;
    if (item.kind == Kind::kButton) {
      item.value = pressed[item.usage] ? 1 : 0;
    } else if (item.kind == Kind::kValue) {
      uint32_t raw = 0;
      rc = codec_.readValue(*item.cap, item.usage, report, length, &raw);
      if (rc == RC_OK) item.value = static_cast<int32_t>(raw);
    } else {
      rc = codec_.readArray(*item.cap, report, length, item.bytes.data(), item.bytes.size());
    }
    if (rc != RC_OK) return rc;
  }
  return RC_OK;
}

ResultCode ReportMap::build(uint8_t report_id, std::vector<uint8_t>* report) const {
  std::vector<uint8_t> out(std::max<size_t>(descriptor_.reportLength(type_, report_id), 1), 0);
  out[0] = report_id;
  bool any = false;
  for (const Item& item : items_) {
    if (item.report_id != report_id) continue;
    any = true;
    ResultCode rc = RC_OK;
    if (item.kind == Kind::kValue) {
      rc = codec_.writeValue(*item.cap, item.usage, static_cast<uint32_t>(item.value), out.data(),
                             out.size());
    } else if (item.kind == Kind::kArray) {
      rc = codec_.writeArray(*item.cap, item.bytes.data(), item.bytes.size(), out.data(),
                             out.size());
    }
    if (rc != RC_OK) return rc;
  }
  if (!any) return RC_BAD_VALUE;
  for (const Item& item : items_) {
    if (item.report_id != report_id || item.kind != Kind::kButton || item.value == 0) continue;
    ResultCode rc = codec_.pressButton(*item.cap, item.usage, out.data(), out.size());
    if (rc != RC_OK) return rc;
  }
  *report = std::move(out);
  return RC_OK;
}

}  // namespace gw
