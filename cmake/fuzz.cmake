# The fuzzing toolchain check: libFuzzer comes with clang, so GW_FUZZ needs clang and a
# libFuzzer runtime that links. Everything is compiled with coverage for the fuzzer, so that the
# libraries a target links guide it as well as the target's own file.
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(FATAL_ERROR "GW_FUZZ needs clang: configure with CC=clang CXX=clang++")
endif()
include(CheckCXXSourceCompiles)
set(CMAKE_REQUIRED_FLAGS "-fsanitize=fuzzer")
set(CMAKE_REQUIRED_LINK_OPTIONS "-fsanitize=fuzzer")
check_cxx_source_compiles("
  #include <cstddef>
  #include <cstdint>
  extern \"C\" int LLVMFuzzerTestOneInput(const uint8_t*, size_t) { return 0; }"
  GW_HAVE_LIBFUZZER)
unset(CMAKE_REQUIRED_FLAGS)
unset(CMAKE_REQUIRED_LINK_OPTIONS)
if(NOT GW_HAVE_LIBFUZZER)
  message(FATAL_ERROR "GW_FUZZ: clang cannot link -fsanitize=fuzzer (install libfuzzer and the "
                      "clang runtime, see scripts/install-deps.sh)")
endif()
add_compile_options(-fsanitize=fuzzer-no-link)
