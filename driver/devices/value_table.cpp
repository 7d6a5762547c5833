// Storage of device values.
#include "driver/devices/value_table.h"

#include <cstring>

namespace gw {

void ValueTable::setInt(int element, int32_t value) {
  if (!valid(element)) return;
  entries_[element].primary = Value{Kind::kInt, value, {}};
}

void ValueTable::setText(int element, std::string_view text) {
  if (!valid(element)) return;
  entries_[element].primary = Value{Kind::kText, 0, std::string(text)};
}

void ValueTable::clear(int element) {
  if (!valid(element)) return;
  entries_[element].primary = Value{};
}

bool ValueTable::has(int element) const {
  return valid(element) && entries_[element].primary.kind != Kind::kEmpty;
}

void ValueTable::setSecondaryInt(int element, int32_t value) {
  if (!valid(element)) return;
  entries_[element].secondary = Value{Kind::kInt, value, {}};
}

void ValueTable::clearSecondary(int element) {
  if (!valid(element)) return;
  entries_[element].secondary = Value{};
}

ResultCode ValueTable::readInt(const Value& v, int32_t* value) {
  switch (v.kind) {
    case Kind::kMissing: return RC_UNSUPPORTED;
    case Kind::kEmpty: return RC_NOT_AVAILABLE;
    case Kind::kText: return RC_BAD_VALUE;
    case Kind::kInt: *value = v.number; return RC_OK;
  }
  return RC_UNSUPPORTED;
}

ResultCode ValueTable::getInt(int element, int32_t* value) const {
  if (!valid(element)) return RC_UNSUPPORTED;
  return readInt(entries_[element].primary, value);
}

ResultCode ValueTable::getSecondaryInt(int element, int32_t* value) const {
  if (!valid(element)) return RC_UNSUPPORTED;
  return readInt(entries_[element].secondary, value);
}

ResultCode ValueTable::getText(int element, char* buffer, size_t* size) const {
  if (!valid(element)) return RC_UNSUPPORTED;
  const Value& v = entries_[element].primary;
  if (v.kind == Kind::kEmpty) return RC_NOT_AVAILABLE;
  if (v.kind != Kind::kText) return RC_BAD_VALUE;
  if (size == nullptr) return RC_MISSING_ARGUMENT;
  const size_t needed = v.text.size() + 1;
  if (buffer == nullptr || *size < needed) {
    *size = needed;
    return RC_BUFFER_TOO_SMALL;
  }
  std::memcpy(buffer, v.text.data(), v.text.size());
  buffer[v.text.size()] = '\0';
  *size = needed;
  return RC_OK;
}

std::string_view ValueTable::text(int element) const {
  if (!valid(element) || entries_[element].primary.kind != Kind::kText) return {};
  return entries_[element].primary.text;
}

}  // namespace gw
