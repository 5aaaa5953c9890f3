# The Debian packages each step needs; sourced by run.sh and test.sh.
# shellcheck shell=bash
BUILD_PACKAGES=(cmake ninja-build g++ pkgconf)
TEST_PACKAGES=(googletest libgtest-dev libgmock-dev)
FUZZ_PACKAGES=(clang-14 libclang-rt-14-dev)
BENCH_PACKAGES=(libbenchmark-dev)
