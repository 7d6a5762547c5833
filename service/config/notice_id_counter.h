// The one source of change-notice ids, shared by the settings and the policy registries so that
// an id names exactly one key across both.
#pragma once

#include <cstdint>

namespace gw {

// The service object creates one and hands it by reference to both registries; it must outlive
// them. Not thread-safe: all watching happens on the main thread.
class NoticeIdCounter {
 public:
  NoticeIdCounter() = default;
  NoticeIdCounter(const NoticeIdCounter&) = delete;
  NoticeIdCounter& operator=(const NoticeIdCounter&) = delete;

  // Ids start at 1; 0 is never handed out, so 0 can stand for "not watched".
  uint32_t next() { return ++last_; }

 private:
  uint32_t last_ = 0;
};

}  // namespace gw
