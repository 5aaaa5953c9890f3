#!/usr/bin/env bash
# Builds Dalvren and starts its window: ./run.sh [TABLE]
# Without TABLE it opens the sample table from examples/.
set -euo pipefail
# A table given relative to where run.sh was started from.
table=$(realpath -m -- "${1:-$(dirname "$0")/examples/sample.tbl}")
cd "$(dirname "$0")"

source scripts/packages.sh
scripts/ensure-packages.sh "${BUILD_PACKAGES[@]}" "${GUI_PACKAGES[@]}" \
  "${TEST_PACKAGES[@]}" "${BENCH_PACKAGES[@]}"
cmake --preset release >/dev/null
cmake --build --preset release --target dalvren

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] &&
  [ -z "${QT_QPA_PLATFORM:-}" ]; then
  cat >&2 <<'MSG'
run.sh: Dalvren is built (build/release/app/dalvren), but there is no display
to show its window on (neither DISPLAY nor WAYLAND_DISPLAY is set). Run it
from a desktop session, or over ssh -X. Without a desktop,
scripts/screenshot.sh takes a picture of the window on a virtual display, and
build/release/cli/dalvren-convert converts whole files on the command line.
MSG
  exit 1
fi
exec build/release/app/dalvren "$table"
