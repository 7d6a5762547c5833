// Finding a program by name in a ':'-separated list of directories, as the shell does on PATH.
#pragma once

#include <string>

namespace gw::posix {

// The first `dir/name` that is executable, taking the directories in order and skipping empty
// ones; empty when there is none.
std::string findOnSearchPath(const std::string& search_path, const std::string& name);

}  // namespace gw::posix
