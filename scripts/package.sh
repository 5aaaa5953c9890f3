#!/usr/bin/env bash
# Builds Dalvren's packages: scripts/package.sh [--deb | --windows] [FOLDER]
# writes the Debian package FOLDER/dalvren_VERSION_ARCH.deb (release preset)
# and the zip for Windows FOLDER/dalvren-convert-VERSION-windows-x86_64.zip
# (windows preset), or only the one named, and prints their paths, the
# Debian package's last. FOLDER is build/ unless given. Install the Debian
# package with: sudo apt install ./build/dalvren_*.deb
set -euo pipefail
which=both
case "${1:-}" in
  --deb | --windows)
    which=${1#--}
    shift
    ;;
esac
# A folder given relative to where the script was started from.
out=$(realpath -m -- "${1:-$(dirname "$0")/../build}")
cd "$(dirname "$0")/.."
source scripts/packages.sh

windows_zip() {
  scripts/ensure-packages.sh "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}" \
    "${WINDOWS_PACKAGES[@]}"
  cmake --preset windows >/dev/null
  cmake --build --preset windows --target dalvren_windows_zip
  # The release, as the change log's newest entry names it.
  local version zip
  version=$(sed -n '1s/^dalvren (\([^)]*\)).*/\1/p' res/debian/changelog)
  zip=build/windows/dalvren-convert-$version-windows-x86_64.zip
  mkdir -p "$out"
  cp -- "$zip" "$out/"
  echo "$out/$(basename "$zip")"
}

deb() {
  scripts/ensure-packages.sh "${BUILD_PACKAGES[@]}" "${GUI_PACKAGES[@]}" \
    "${TEST_PACKAGES[@]}" "${BENCH_PACKAGES[@]}" "${PACKAGE_PACKAGES[@]}"

  # Only what the package holds is built; the rest of the release build
  # (tests, benchmarks) is not needed for it.
  cmake --preset release >/dev/null
  cmake --build --preset release --target dalvren dalvren-convert \
    dalvren_man_page dalvren-convert_man_page dalvren_changelog

  # CPack keeps its scratch files beside the package it makes, so it works in
  # the build folder and the package alone is copied out.
  local work=build/release/cpack
  rm -rf "$work"
  mkdir -p "$work"
  if ! cpack --config build/release/CPackConfig.cmake -G DEB -B "$work" \
    >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log" >&2
    exit 1
  fi
  local packages=("$work"/dalvren_*.deb)
  if [ ${#packages[@]} -ne 1 ] || [ ! -f "${packages[0]}" ]; then
    echo "$0: CPack made no single package in $work" >&2
    exit 1
  fi
  mkdir -p "$out"
  cp -- "${packages[0]}" "$out/"
  echo "$out/$(basename "${packages[0]}")"
}

[ "$which" = deb ] || windows_zip
[ "$which" = windows ] || deb
