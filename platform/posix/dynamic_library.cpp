// DynamicLibrary over dlopen/dlsym.
#include "platform/dynamic_library.h"

#include <dlfcn.h>

namespace gw {
namespace {

class PosixDynamicLibrary final : public DynamicLibrary {
 public:
  explicit PosixDynamicLibrary(void* handle) : handle_(handle) {}
  ~PosixDynamicLibrary() override { (void)::dlclose(handle_); }  // nothing to do if it fails

  void* symbol(const std::string& name) const override {
    return ::dlsym(handle_, name.c_str());
  }

 private:
  void* handle_;
};

}  // namespace

ResultCode DynamicLibrary::load(const std::string& path,
                                std::unique_ptr<DynamicLibrary>* library) {
  if (path.empty()) return RC_NOT_AVAILABLE;
  // RTLD_LOCAL keeps the library's symbols from resolving anything else loaded later.
  void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) return RC_NOT_AVAILABLE;
  *library = std::make_unique<PosixDynamicLibrary>(handle);
  return RC_OK;
}

}  // namespace gw
