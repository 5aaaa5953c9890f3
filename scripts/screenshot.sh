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
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1024x768x24" \
  build/debug/tests/app/dalvren_screenshot examples/sample.tbl \
  examples/sample.rom docs/screenshot.png
echo "Wrote docs/screenshot.png"
