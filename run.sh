#!/usr/bin/env bash
# Installs what is missing, builds, and shows the converter at work on the
# sample table and ROM snippet in examples/.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/packages.sh
scripts/ensure-packages.sh "${BUILD_PACKAGES[@]}"

cmake --preset release -DDALVREN_BUILD_TESTS=OFF -DDALVREN_BUILD_BENCH=OFF >/dev/null
cmake --build --preset release --target dalvren-convert
convert=build/release/cli/dalvren-convert

echo "== examples/sample.rom through examples/sample.tbl:"
"$convert" -t examples/sample.tbl dump examples/sample.rom
echo
echo "== and back to bytes, as hex:"
"$convert" -t examples/sample.tbl dump examples/sample.rom |
  "$convert" -t examples/sample.tbl insert --hex-out
echo
