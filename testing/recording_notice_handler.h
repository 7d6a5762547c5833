// A notice handler that records the ids it was called with, in order.
#pragma once

#include <cstdint>
#include <vector>

#include "service/config/notice_handler.h"

namespace gw {

class RecordingNoticeHandler : public NoticeHandler {
 public:
  void onNotice(uint32_t id) override { ids_.push_back(id); }

  const std::vector<uint32_t>& ids() const { return ids_; }
  void clear() { ids_.clear(); }

 private:
  std::vector<uint32_t> ids_;
};

}  // namespace gw
