#!/usr/bin/env bash
# Installs what is missing, builds every preset once and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/packages.sh
# The package test builds the release preset, benchmarks included.
scripts/ensure-packages.sh "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}" \
  "${FUZZ_PACKAGES[@]}" "${GUI_PACKAGES[@]}" "${TIDY_PACKAGES[@]}" \
  "${BENCH_PACKAGES[@]}" "${PACKAGE_PACKAGES[@]}" "${PACKAGE_TEST_PACKAGES[@]}" \
  "${WINDOWS_PACKAGES[@]}"

# Includes keep to their layers before anything is built.
scripts/check-layers.sh

# Window tests never need a display.
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}

build_and_test() {
  local preset=$1
  echo "== $preset: configure and build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  echo "== $preset: test"
  ctest --preset "$preset"
}

# The sanitizer run comes last so that the output ends with its summary.
build_and_test debug
echo "== clang-tidy over the sources"
scripts/tidy.sh build/debug
# The Windows converter, its tests under Wine compared with the debug build.
build_and_test windows
build_and_test fuzz
build_and_test asan
