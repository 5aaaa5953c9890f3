#!/usr/bin/env bash
# Builds Dalvren and starts its window: ./run.sh [TABLE]
# Without TABLE it opens the sample table from examples/.
set -euo pipefail
# A table given relative to where run.sh was started from.
table=$(realpath -m -- "${1:-$(dirname "$0")/examples/sample.tbl}")
cd "$(dirname "$0")"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] &&
  [ -z "${QT_QPA_PLATFORM:-}" ]; then
  cat >&2 <<'MSG'
run.sh: there is no display to show the window on (neither DISPLAY nor
WAYLAND_DISPLAY is set). Run it from a desktop session, or over ssh -X.
To see the window without a desktop, scripts/screenshot.sh takes a picture
of it on a virtual display.
MSG
  exit 1
fi

source scripts/packages.sh
scripts/ensure-packages.sh "${BUILD_PACKAGES[@]}" "${GUI_PACKAGES[@]}" \
  "${TEST_PACKAGES[@]}" "${BENCH_PACKAGES[@]}"
cmake --preset release >/dev/null
cmake --build --preset release -j2 --target dalvren
exec build/release/app/dalvren "$table"
