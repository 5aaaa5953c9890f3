#!/usr/bin/env bash
# Builds the Debian package of Dalvren from the release preset:
#   scripts/package.sh [FOLDER]
# writes FOLDER/dalvren_VERSION_ARCH.deb (FOLDER is build/ unless given) and
# prints its path. Install it with: sudo apt install ./build/dalvren_*.deb
set -euo pipefail
# A folder given relative to where the script was started from.
out=$(realpath -m -- "${1:-$(dirname "$0")/../build}")
cd "$(dirname "$0")/.."
source scripts/packages.sh
scripts/ensure-packages.sh "${BUILD_PACKAGES[@]}" "${GUI_PACKAGES[@]}" \
  "${TEST_PACKAGES[@]}" "${BENCH_PACKAGES[@]}" "${PACKAGE_PACKAGES[@]}"

# Only what the package holds is built; the rest of the release build (tests,
# benchmarks) is not needed for it.
cmake --preset release >/dev/null
cmake --build --preset release --target dalvren dalvren-convert \
  dalvren_man_page dalvren-convert_man_page dalvren_changelog

# CPack keeps its scratch files beside the package it makes, so it works in
# the build folder and the package alone is copied out.
work=build/release/cpack
rm -rf "$work"
mkdir -p "$work"
if ! cpack --config build/release/CPackConfig.cmake -G DEB -B "$work" \
  >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log" >&2
  exit 1
fi
packages=("$work"/dalvren_*.deb)
if [ ${#packages[@]} -ne 1 ] || [ ! -f "${packages[0]}" ]; then
  echo "$0: CPack made no single package in $work" >&2
  exit 1
fi
mkdir -p "$out"
cp -- "${packages[0]}" "$out/"
echo "$out/$(basename "${packages[0]}")"
