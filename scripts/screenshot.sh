#!/usr/bin/env bash
# Pictures the real window under a virtual X display after converting the
# sample ROM: docs/screenshot.png.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
scripts/ensure-packages.sh "${BUILD_PACKAGES[@]}" "${GUI_PACKAGES[@]}" \
  "${TEST_PACKAGES[@]}" "${SCREENSHOT_PACKAGES[@]}"
cmake --preset debug >/dev/null
cmake --build --preset debug -j2 --target dalvren_screenshot
mkdir -p docs
# The window registers its file type and keeps recent files; the picture
# leaves the user's own folders alone.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
XDG_DATA_HOME="$scratch/data" XDG_CONFIG_HOME="$scratch/config" \
  QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1024x768x24" \
  build/debug/tests/app/dalvren_screenshot examples/sample.tbl \
  examples/sample.rom docs/screenshot.png
echo "Wrote docs/screenshot.png"
