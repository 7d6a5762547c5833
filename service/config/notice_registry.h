// The watched keys of one store (settings or policy) and the ids their notices carry.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "service/config/notice_handler.h"
#include "service/config/notice_id_counter.h"

namespace gw {

// Keys are compared exactly (case and blanks count). The counter and the handler are not owned
// and must outlive the registry; the handler may be null, then posts go nowhere.
class NoticeRegistry {
 public:
  NoticeRegistry(NoticeIdCounter& ids, NoticeHandler* handler) : ids_(ids), handler_(handler) {}
  NoticeRegistry(const NoticeRegistry&) = delete;
  NoticeRegistry& operator=(const NoticeRegistry&) = delete;

  // Returns the key's id, taking a fresh one from the shared counter on the first call for the
  // key; later calls return the same id. Any text may be watched, known key or not.
  uint32_t watch(std::string_view key);

  // Calls the handler with the key's id when the key is watched; otherwise does nothing.
  void post(std::string_view key) const;

  // The key's id, or 0 when the key is not watched.
  uint32_t idOf(std::string_view key) const;

 private:
  NoticeIdCounter& ids_;
  NoticeHandler* handler_;
  std::map<std::string, uint32_t, std::less<>> ids_by_key_;
};

}  // namespace gw
