#!/usr/bin/env bash
# The table encodings of the Windows build read every text of one and two
# bytes as the Linux build's do, byte for byte, faults included:
#   encoding-sweep-test.sh WINE_RUN WINDOWS_SWEEP.exe LINUX_SWEEP
set -euo pipefail
wine=$1 windows=$2 linux=$3
if [ ! -x "$linux" ]; then
  echo "$linux is not built: build the debug preset first" >&2
  exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$linux" >"$work/linux.txt"
"$wine" "$windows" >"$work/windows.txt"
# A sweep that printed little would compare nothing.
lines=$(wc -l <"$work/linux.txt")
if [ "$lines" -lt 1000000 ]; then
  echo "the Linux sweep printed only $lines lines" >&2
  exit 1
fi
if ! cmp -s "$work/linux.txt" "$work/windows.txt"; then
  echo "The Windows build reads texts otherwise than the Linux build" \
    "(< Linux, > Windows; first differences):" >&2
  diff "$work/linux.txt" "$work/windows.txt" | head -40 >&2 || true
  exit 1
fi
echo "$lines conversions read alike"
