// Timeouts of the service's loop passes: each step lowers the pass's wait to its own deadline.
#pragma once

#include <cstdint>
#include <limits>

namespace gw {

// A wait with no deadline in it.
inline constexpr uint32_t kUnlimitedTimeout = std::numeric_limits<uint32_t>::max();

// timeout = min(timeout, remaining); a deadline already passed gives 0, one beyond the
// unsigned range leaves the timeout as it is.
inline void lowerTimeout(uint32_t& timeout_ms, int64_t remaining_ms) {
  uint32_t r = remaining_ms <= 0 ? 0
               : remaining_ms >= static_cast<int64_t>(kUnlimitedTimeout)
                   ? kUnlimitedTimeout
                   : static_cast<uint32_t>(remaining_ms);
  if (r < timeout_ms) timeout_ms = r;
}

}  // namespace gw
