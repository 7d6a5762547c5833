// Who and where the program runs: the user's home directory and this machine's host name.
#pragma once

#include <string>

namespace gw {

// $HOME when it is set to an absolute path, else the home directory of the account the process
// runs as. Empty when neither is known.
std::string homeDirectory();

// The machine's host name; empty when the system cannot tell.
std::string hostName();

}  // namespace gw
