// The 14 status values of one service poll, each with the result code of its read.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "common/result_code.h"
#include "protocol/status_index.h"

namespace gw {

struct StatusSnapshot {
  struct Entry {
    ResultCode code = RC_OK;
    int32_t value = 0;  // the seven flags (7..13) hold 0 or 1
  };
  std::array<Entry, kStatusCount> entries{};

  const Entry& operator[](int i) const { return entries[static_cast<size_t>(i)]; }
  Entry& operator[](int i) { return entries[static_cast<size_t>(i)]; }
  bool ok(int i) const { return (*this)[i].code == RC_OK; }
  bool flag(int i) const { return ok(i) && (*this)[i].value != 0; }
  void clear() { entries = {}; }
};

}  // namespace gw
