// A shared library loaded at run time (the USB bridge), unloaded when its owner goes away.
#pragma once

#include <memory>
#include <string>

#include "common/result_code.h"

namespace gw {

class DynamicLibrary {
 public:
  DynamicLibrary() = default;
  DynamicLibrary(const DynamicLibrary&) = delete;
  DynamicLibrary& operator=(const DynamicLibrary&) = delete;
  // Unloads the library: every address taken from symbol() is invalid afterwards.
  virtual ~DynamicLibrary() = default;

  // Loads the library at `path` with all its symbols resolved at once. RC_NOT_AVAILABLE when it
  // is missing or cannot be loaded; *library is untouched then.
  [[nodiscard]] static ResultCode load(const std::string& path,
                                       std::unique_ptr<DynamicLibrary>* library);

  // The address of an exported symbol, or null when the library has no such export.
  virtual void* symbol(const std::string& name) const = 0;
};

}  // namespace gw
