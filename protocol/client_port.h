// The TCP port of the client protocol and the rule for choosing it from GRIDWATCH_PORT, shared
// by the service and its clients so that both ends of one environment meet on the same port.
#pragma once

#include <cstdint>
#include <string_view>

namespace gw {

inline constexpr uint16_t kDefaultClientPort = 8855;

// The environment variable that moves the port; a program's main reads it and passes its text.
inline constexpr const char* kClientPortVariable = "GRIDWATCH_PORT";

// A port given as text: a whole decimal number 1..65535, nothing around it. False otherwise,
// with *port untouched.
[[nodiscard]] bool parsePortNumber(std::string_view text, uint16_t* port);

// The port named by the text of GRIDWATCH_PORT (null when unset). An unset, empty or invalid
// text gives kDefaultClientPort: the service must come up whatever the environment holds, and a
// client in the same environment must then look for it on the same port.
uint16_t clientPortFromText(const char* text);

}  // namespace gw
