#!/usr/bin/env bash
# Builds the suite and runs the monitoring service in the foreground in a scratch data
# directory. Ctrl-C stops it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build
data=$(mktemp -d -t gridwatch.XXXXXX)
cp build/bin/* "$data"/
echo "data directory: $data"
export GRIDWATCH_PORT=${GRIDWATCH_PORT:-8855}
exec "$data/monsvc"
