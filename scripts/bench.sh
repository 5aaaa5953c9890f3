#!/usr/bin/env bash
# Builds the release preset and runs every benchmark program. Extra arguments
# go to each program (for example --benchmark_filter=Translate).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
scripts/ensure-packages.sh "${BUILD_PACKAGES[@]}" "${BENCH_PACKAGES[@]}"
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}

cmake --preset release >/dev/null
cmake --build --preset release
for bench in core_bench extended_bench process_bench rom_bench search_bench switch_bench window_bench; do
  program=build/release/bench/$bench
  [ -x "$program" ] || continue
  echo "== $bench"
  "$program" "$@"
done
