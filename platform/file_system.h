// Whole-file reads and crash-safe whole-file writes for the data files.
#pragma once

#include <string>

#include "common/result_code.h"

namespace gw {

// Reads the whole file. RC_NOT_AVAILABLE when it does not exist or cannot be read.
[[nodiscard]] ResultCode readWholeFile(const std::string& path, std::string* contents);

// Writes the contents to a temporary name in the same directory, flushes it to the disk and
// renames it over `path`, so that a crash leaves either the old file or the new one. `mode` is
// the permission of a newly created file (0600 for files holding passwords).
[[nodiscard]] ResultCode writeFileAtomically(const std::string& path, const std::string& contents,
                                             unsigned mode = 0644);

[[nodiscard]] bool fileExists(const std::string& path);

// Joins a directory and a file name with the platform's separator.
std::string joinPath(const std::string& dir, const std::string& name);

}  // namespace gw
