// The name the management client is known by on this machine: its single-instance channel, a
// local socket of this name in the user's runtime directory (platform/paths.h), which the tray
// raises the client through and the installer looks for before it replaces the programs.
#pragma once

namespace gw {

inline constexpr const char* kClientInstanceName = "UPS Management Client Program";

}  // namespace gw
