#!/usr/bin/env bash
# Installs what is missing, builds every preset once and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/packages.sh
# The package test builds the release preset, benchmarks included.
scripts/ensure-packages.sh "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}" \
  "${FUZZ_PACKAGES[@]}" "${GUI_PACKAGES[@]}" "${TIDY_PACKAGES[@]}" \
  "${BENCH_PACKAGES[@]}" "${PACKAGE_PACKAGES[@]}" "${PACKAGE_TEST_PACKAGES[@]}" \
  "${WINDOWS_PACKAGES[@]}" "${CHECK_PACKAGES[@]}"

# Includes keep to their layers before anything is built.
scripts/check-layers.sh
# The sources stay as clang-format leaves them.
echo "== clang-format over the sources"
git ls-files -z -- '*.h' '*.cpp' | xargs -0 clang-format-14 --dry-run --Werror

# Window tests never need a display.
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}

build_and_test() {
  local preset=$1
  echo "== $preset: configure and build"
  # Warnings fail the run here; builds for use keep them warnings.
  cmake --preset "$preset" -DDALVREN_WERROR=ON >/dev/null
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
# The concurrent translations under ThreadSanitizer: only the core's tests
# are built, and only the tests that use threads run.
echo "== tsan: configure and build"
cmake --preset tsan -DDALVREN_WERROR=ON >/dev/null
cmake --build --preset tsan
echo "== tsan: test"
TSAN_OPTIONS=halt_on_error=1 build/tsan/tests/core/core_tests \
  --gtest_filter='*Threads*'
echo "== coverage: configure, build and test"
cmake --preset coverage -DDALVREN_WERROR=ON >/dev/null
cmake --build --preset coverage
scripts/coverage.sh build/coverage
build_and_test asan
