#!/usr/bin/env bash
# Runs the core's and rom's tests in a coverage build and prints lines and
# branches covered per folder: scripts/coverage.sh [BUILD_DIR] (default
# build/coverage, made with `cmake --preset coverage` and
# `cmake --build --preset coverage`).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/coverage}
# Counts from an earlier run would add to this one's.
find "$build" -name '*.gcda' -delete
# The counts are updated atomically (the coverage preset's flags), since the
# thread tests run translations at once; the random-table property suites
# add little coverage for most of the step's time, so they are left to the
# other presets.
"$build/tests/core/core_tests" --gtest_brief=1 \
  --gtest_filter='-ExtendedPromise*:ExtendedPaths*'
"$build/tests/rom/rom_tests" --gtest_brief=1
summary=$(mktemp)
trap 'rm -f "$summary"' EXIT
# Branches the compiler adds for exceptions and for code it cannot reach
# are not choices the sources make.
gcovr --root . --filter 'core/' --filter 'rom/' --exclude-throw-branches \
  --exclude-unreachable-branches --json-summary "$summary" "$build" >/dev/null
python3 - "$summary" <<'PY'
import json, sys
files = json.load(open(sys.argv[1]))["files"]
totals = {}
for f in files:
    folder = f["filename"].split("/")[0] + "/"
    t = totals.setdefault(folder, [0, 0, 0, 0])
    t[0] += f["line_covered"]; t[1] += f["line_total"]
    t[2] += f["branch_covered"]; t[3] += f["branch_total"]
def pct(a, b):
    return "%5.1f%%" % (100.0 * a / b) if b else "    -"
print("%-8s %18s %20s" % ("folder", "lines", "branches"))
for folder, (lc, lt, bc, bt) in sorted(totals.items()):
    print("%-8s %s %6d/%-6d %s %6d/%-6d" % (folder, pct(lc, lt), lc, lt,
                                             pct(bc, bt), bc, bt))
PY
