// Where the running program lives: the data directory of the service is the directory of its
// executable, and sibling programs (porter, sweeper) are started from there.
#pragma once

#include <string>

namespace gw {

// The absolute directory of the running executable, without a trailing separator. Empty when
// the system cannot tell.
std::string executableDirectory();

}  // namespace gw
