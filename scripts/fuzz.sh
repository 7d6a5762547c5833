#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer, UBSan) and runs each for SECONDS from
# its seed corpus, then prints executions per second, coverage and the outcome per target.
#
#   scripts/fuzz.sh SECONDS [TARGET...]
#
# New inputs found go to <build>/work/<target>/corpus, never into the checked-in seeds; a
# crashing input is kept there as crash-*. Exits 1 when any target failed. GW_FUZZ_BUILD_DIR
# names the build directory (default build-fuzz).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:?usage: scripts/fuzz.sh SECONDS [TARGET...]}
shift
[[ $seconds =~ ^[0-9]+$ ]] || { echo "SECONDS must be a whole number" >&2; exit 64; }
build=${GW_FUZZ_BUILD_DIR:-build-fuzz}

scripts/install-deps.sh
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DGW_FUZZ=ON -DGW_BUILD_TESTS=OFF \
  -DGW_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target gw_fuzz_all

failed=0
results=()
while read -r name seeds; do
  [[ -n $name ]] || continue
  if (($#)) && [[ ! " $* " == *" $name "* ]]; then continue; fi
  work="$build/work/$name"
  mkdir -p "$work/corpus"
  log="$work/last.log"
  echo "fuzzing $name for ${seconds}s"
  status=ok
  # -timeout: an input that takes this long is a hang and a finding of its own.
  if ! "$build/fuzz/$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$work/" "$work/corpus" "$seeds" >"$log" 2>&1; then
    status="FAILED (see $log)"
    failed=1
  fi
  done_line=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -1 || true)
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  cov=$(sed -nE 's/.* cov: ([0-9]+).*/\1/p' <<<"$done_line")
  ft=$(sed -nE 's/.* ft: ([0-9]+).*/\1/p' <<<"$done_line")
  results+=("$(printf '%-24s %12s %10s %8s %8s  %s' "$name" "${runs:--}" "${speed:--}" \
    "${cov:--}" "${ft:--}" "$status")")
done <"$build/fuzz/targets.txt"

printf '%-24s %12s %10s %8s %8s  %s\n' target executions exec/s cov features outcome
printf '%s\n' "${results[@]}"
exit $failed
