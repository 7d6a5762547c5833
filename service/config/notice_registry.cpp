// Watched keys and their notice ids.
#include "service/config/notice_registry.h"

namespace gw {

uint32_t NoticeRegistry::watch(std::string_view key) {
  auto it = ids_by_key_.find(key);
  if (it != ids_by_key_.end()) return it->second;
  uint32_t id = ids_.next();
  ids_by_key_.emplace(std::string(key), id);
  return id;
}

void NoticeRegistry::post(std::string_view key) const {
  if (handler_ == nullptr) return;
  uint32_t id = idOf(key);
  if (id != 0) handler_->onNotice(id);
}

uint32_t NoticeRegistry::idOf(std::string_view key) const {
  auto it = ids_by_key_.find(key);
  return it == ids_by_key_.end() ? 0 : it->second;
}

}  // namespace gw
