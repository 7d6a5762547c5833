// A listening Unix stream socket at a path, as the simulator's cable and control channels use.
#pragma once

#include <string>

#include "common/result_code.h"
#include "platform/posix/unique_fd.h"

namespace gw::posix {

// Listens, non-blocking, at `path`. A stale socket at the path is replaced; any other kind of
// file there is never touched (RC_NOT_AVAILABLE). RC_BAD_VALUE for a path that does not fit.
[[nodiscard]] ResultCode listenUnixSocket(const std::string& path, int backlog, UniqueFd* fd);

}  // namespace gw::posix
