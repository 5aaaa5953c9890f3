#!/usr/bin/env bash
# Builds Dalvren and starts its window: ./run.sh [TABLE]
# Without TABLE it opens the sample table from examples/. Without a display
# it shows the command-line converter at work instead.
set -euo pipefail
# A table given relative to where run.sh was started from.
table=$(realpath -m -- "${1:-$(dirname "$0")/examples/sample.tbl}")
cd "$(dirname "$0")"

source scripts/packages.sh
scripts/ensure-packages.sh "${BUILD_PACKAGES[@]}" "${GUI_PACKAGES[@]}" \
  "${TEST_PACKAGES[@]}" "${BENCH_PACKAGES[@]}"
cmake --preset release >/dev/null
cmake --build --preset release --target dalvren dalvren-convert

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] &&
  [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "run.sh: Dalvren is built (build/release/app/dalvren)."
  echo
  exec scripts/converter-demo.sh build/release/cli
fi
exec build/release/app/dalvren "$table"
