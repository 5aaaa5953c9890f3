# The Debian packages each step needs; sourced by run.sh and test.sh.
# shellcheck shell=bash
BUILD_PACKAGES=(cmake ninja-build g++ pkgconf)
TEST_PACKAGES=(googletest libgtest-dev libgmock-dev)
FUZZ_PACKAGES=(clang-14 libclang-rt-14-dev)
# The window: Qt Widgets (with its test library) and the fonts it draws with.
GUI_PACKAGES=(qt6-base-dev fonts-dejavu-core)
# A virtual display, for run.sh without one and for the README's picture
# (with a Japanese font, so that the sample's kana show).
SCREENSHOT_PACKAGES=(xvfb xauth fonts-vlgothic)
BENCH_PACKAGES=(libbenchmark-dev)
# The static analysis test.sh runs over the sources.
TIDY_PACKAGES=(clang-tidy-14)
# The formatting check test.sh runs over the sources, and the coverage
# summary of the coverage preset.
CHECK_PACKAGES=(clang-format-14 gcovr)
# The Debian package (scripts/package.sh): dpkg-shlibdeps works out what it
# depends on.
PACKAGE_PACKAGES=(dpkg-dev)
# Its tests: lintian for the package, desktop-file-validate and appstreamcli
# for the desktop metadata, man and groff for the manual pages.
PACKAGE_TEST_PACKAGES=(lintian desktop-file-utils appstream man-db groff-base)
# The Windows converter (the windows preset): the MinGW-w64 cross compiler
# (POSIX threads, for the thread support of its standard library), Wine to
# run its tests, unzip to check the zip it ships in, and the locale sources
# from which a test makes a Japanese locale, so that Wine runs with code
# page 932. GoogleTest comes from TEST_PACKAGES' sources.
WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix wine64 unzip locales)
