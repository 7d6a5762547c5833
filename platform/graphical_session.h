// The user's graphical session, where the application closer must run: found through the login
// manager (systemd-logind on POSIX), and the means to start a program in it as its user.
#pragma once

#include <cstdint>
#include <string>

#include "common/result_code.h"
#include "platform/process.h"

namespace gw {

struct GraphicalSession {
  std::string user;         // account name
  int64_t uid = -1;
  int64_t gid = -1;
  std::string home;         // the account's home directory
  std::string display;      // the X display, as in $DISPLAY
  std::string xauthority;   // the X authority file; empty when none is known
  std::string runtime_dir;  // $XDG_RUNTIME_DIR of the session; empty when none
};

// The active, local, graphical session on this machine. Asks the login manager, waiting at most
// timeout_ms for its answers. RC_NOT_AVAILABLE when there is none (or no login manager);
// *session is written only on RC_OK.
[[nodiscard]] ResultCode findActiveGraphicalSession(int timeout_ms, GraphicalSession* session);

// The account this process runs as, on `display`, with $HOME, $XAUTHORITY and $XDG_RUNTIME_DIR
// from our own environment: for a run started from a desktop. RC_NOT_AVAILABLE when the account is
// unknown or `display` is empty.
[[nodiscard]] ResultCode ownGraphicalSession(const std::string& display,
                                             GraphicalSession* session);

// Rewrites `options` so that the program runs in the session: as its user (through setpriv when
// we are root and the user is someone else) with DISPLAY, XAUTHORITY, HOME, USER, LOGNAME and
// XDG_RUNTIME_DIR of the session. RC_ACCESS_DENIED when we are neither root nor that user;
// *out is written only on RC_OK.
[[nodiscard]] ResultCode optionsInSession(const GraphicalSession& session,
                                          const SpawnOptions& options, SpawnOptions* out);

// Creates `path` anew, empty, owned by the session's user and writable by nobody else, so that a
// program run in the session can fill it. An old file of that name is removed first.
[[nodiscard]] ResultCode createFileForSession(const std::string& path,
                                              const GraphicalSession& session);

}  // namespace gw
