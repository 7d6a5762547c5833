// Where the running program lives (the data directory of the service is the directory of its
// executable, and sibling programs are started from there), and the system's shared folders.
#pragma once

#include <string>

namespace gw {

// The absolute directory of the running executable, without a trailing separator. Empty when
// the system cannot tell.
std::string executableDirectory();

// The system's folder for temporary files, without a trailing separator ($TMPDIR, else /tmp).
std::string temporaryDirectory();

// The current user's runtime directory ($XDG_RUNTIME_DIR), where per-user programs keep their
// sockets. Empty when the session has none.
std::string userRuntimeDirectory();

}  // namespace gw
