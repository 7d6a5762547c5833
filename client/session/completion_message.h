// The completion message a session's callback receives: the tag of the request or
// subscription in the high 16 bits, its result code in the low 16 bits.
#pragma once

#include <cstdint>

namespace gw {

inline constexpr uint32_t completionMessage(uint32_t tag, int code) {
  return (tag << 16) | (static_cast<uint32_t>(code) & 0xFFFFu);
}
inline constexpr uint32_t completionTag(uint32_t message) { return message >> 16; }
inline constexpr int completionCode(uint32_t message) { return static_cast<int>(message & 0xFFFFu); }

}  // namespace gw
