// The access levels a client connection can hold; a check passes when the connection's level is
// at least the one required.
#pragma once

#include <cstdint>

namespace gw {

inline constexpr int32_t LEVEL_NONE = 0;     // not logged in
inline constexpr int32_t LEVEL_NORMAL = 1;   // every query
inline constexpr int32_t LEVEL_SLAVE = 3;    // the same as normal; asked for by "USR SLAVE"
inline constexpr int32_t LEVEL_MANAGER = 7;  // also device commands, setters, sets and clears

}  // namespace gw
