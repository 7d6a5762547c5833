// The single mapping from errno values to result codes for the POSIX back-end.
#pragma once

#include <cerrno>

#include "common/result_code.h"

namespace gw::posix {

inline ResultCode resultFromErrno(int err) {
  switch (err) {
    case 0:
      return RC_OK;
    case ENOENT:
    case EACCES:
    case EBUSY:
    case ENOTDIR:
    case ENXIO:
    case ENODEV:
    case EADDRINUSE:
    case EADDRNOTAVAIL:
    case ENOSPC:  // a full disk, or one that cannot take a file
    case EDQUOT:
    case EROFS:
    case EISDIR:
      return RC_NOT_AVAILABLE;
    case ENOMEM:
      return RC_NO_MEMORY;
    case EPIPE:
    case ECONNRESET:
    case EBADF:
      return RC_PIPE_BROKEN;
    case ETIMEDOUT:
    case EAGAIN:
      return RC_TIMEOUT;
    case EIO:
    case ENOTTY:
      return RC_LINE_FAILURE;
    default:
      return RC_UNSUPPORTED;
  }
}

// Repeats a system call while it fails with EINTR.
template <typename F>
auto retryEintr(F f) {
  for (;;) {
    auto r = f();
    if (r != -1 || errno != EINTR) return r;
  }
}

}  // namespace gw::posix
