// Loading a shared library and finding its exports.
#include "platform/dynamic_library.h"

#include <gtest/gtest.h>

namespace gw {
namespace {

TEST(DynamicLibraryTest, LoadsExportsAndRefusesWhatIsMissing) {
  std::unique_ptr<DynamicLibrary> lib;
  EXPECT_EQ(DynamicLibrary::load("/nonexistent/dir/libpmx.so", &lib), RC_NOT_AVAILABLE);
  EXPECT_EQ(DynamicLibrary::load("", &lib), RC_NOT_AVAILABLE);
  EXPECT_EQ(lib, nullptr);

  ASSERT_EQ(DynamicLibrary::load("libm.so.6", &lib), RC_OK);
  auto fn = reinterpret_cast<double (*)(double)>(lib->symbol("sqrt"));
  ASSERT_NE(fn, nullptr);
  EXPECT_DOUBLE_EQ(fn(9.0), 3.0);
  EXPECT_EQ(lib->symbol("CreatePMXMediaObject"), nullptr);
}

}  // namespace
}  // namespace gw
