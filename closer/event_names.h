// The names under which the closer and its watcher library share the two events of a window.
#pragma once

#include <cstdint>
#include <string>

namespace gw {

// "NorvaneSystemsIncActiveEvent" and the window in lower-case hexadecimal without leading
// zeros: set when a pop-up of the window becomes active.
std::string activeEventName(uint64_t window);
// "NorvaneSystemsIncDestoryEvent" and the window in hexadecimal: set when it is destroyed.
std::string destroyEventName(uint64_t window);

}  // namespace gw
