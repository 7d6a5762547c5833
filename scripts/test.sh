#!/usr/bin/env bash
# Builds the suite and runs every test, in each configuration CI runs:
#   normal  warnings as errors, in build/
#   asan    AddressSanitizer and UndefinedBehaviorSanitizer, in build-asan/
#   tsan    ThreadSanitizer, in build-tsan/
#   fuzz    every libFuzzer target for GW_FUZZ_SECONDS (default 30) from its seeds, in build-fuzz/
#
#   scripts/test.sh                # all four, in that order
#   scripts/test.sh normal tsan    # only those
#
# A sanitizer run fails when any process, a test or a program a test started, reported
# anything, even where the test itself passed. Each step's time is printed at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
steps=("$@")
((${#steps[@]})) || steps=(normal asan tsan fuzz)
for step in "${steps[@]}"; do
  case $step in normal|asan|tsan|fuzz) ;; *) echo "unknown step: $step" >&2; exit 64 ;; esac
done
scripts/install-deps.sh
jobs=$(nproc)
# Sanitizer builds: -O1 and line tables only, which keep reports readable and the build lighter.
sanitized=(-DGW_BUILD_BENCH=OFF "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG"
           "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG")
times=()

# Configures, builds and runs the suite in $1 with the CMake options that follow.
suite() {
  local build=$1
  shift
  cmake -S . -B "$build" -G Ninja -DGW_WERROR=ON "$@" >/dev/null
  cmake --build "$build"
  local reports="$PWD/$build/sanitizer-reports"
  rm -rf "$reports"
  mkdir -p "$reports"
  # Reports go to files, so that those of programs the tests start are seen too.
  ASAN_OPTIONS="log_path=$reports/asan:detect_leaks=1:abort_on_error=1" \
  UBSAN_OPTIONS="log_path=$reports/ubsan:print_stacktrace=1:halt_on_error=1" \
  TSAN_OPTIONS="log_path=$reports/tsan:halt_on_error=1:suppressions=$PWD/scripts/tsan.supp" \
    ctest --test-dir "$build" --output-on-failure -j "$jobs" --timeout 300
  if compgen -G "$reports/*" >/dev/null; then
    echo "sanitizer reports in $reports:" >&2
    head -n 60 "$reports"/* >&2
    return 1
  fi
}

for step in "${steps[@]}"; do
  start=$SECONDS
  case $step in
    normal) suite "${GW_BUILD_DIR:-build}" ;;
    asan) suite build-asan -DGW_SANITIZE=ON "${sanitized[@]}" ;;
    tsan) suite build-tsan -DGW_TSAN=ON "${sanitized[@]}" ;;
    fuzz) scripts/fuzz.sh "${GW_FUZZ_SECONDS:-30}" ;;
  esac
  times+=("$(printf '%-7s %5d s' "$step" $((SECONDS - start)))")
done
printf '%s\n' "${times[@]}"
