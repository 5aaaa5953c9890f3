#!/usr/bin/env bash
# The include-layer check refuses each kind of crossing and passes a tree
# that keeps to its layers. Usage: check-layers-test.sh CHECK_SCRIPT
set -uo pipefail
check=$1
failures=0

# Runs the check on a tree made of "path:line" pairs; expects `want` (0 or 1)
# and, when failing, a message holding `says`.
expect() {
  local want=$1 says=$2
  shift 2
  local tree
  tree=$(mktemp -d)
  mkdir -p "$tree"/{core,rom,cli,framework,app}
  touch "$tree/core/Table.h" "$tree/rom/Image.h" "$tree/framework/Wnd.h" "$tree/cli/Tool.h" \
    "$tree/app/View.h"
  for entry in "$@"; do
    printf '%s\n' "${entry#*:}" >>"$tree/${entry%%:*}"
  done
  local out status
  out=$("$check" "$tree" 2>&1)
  status=$?
  rm -rf "$tree"
  if [ "$status" -ne "$want" ] || [[ $out != *"$says"* ]]; then
    echo "FAILED: $* -> status $status, output: $out" >&2
    failures=$((failures + 1))
  fi
}

expect 0 "" \
  'core/Table.cpp:#include <vector>' 'core/Table.cpp:#include "core/Table.h"' \
  'cli/Tool.cpp:#include "core/Table.h"' 'cli/Tool.cpp:#include <iconv.h>' \
  'framework/Wnd.cpp:#include <QWidget>' \
  'app/View.cpp:#include "framework/Wnd.h"' 'app/View.cpp:#include "core/Table.h"' \
  'rom/Image.cpp:#include "core/Table.h"' 'cli/Tool.cpp:#include "rom/Image.h"' \
  'app/View.cpp:#include "rom/Image.h"' \
  'cli/Tool.cpp:  std::cerr << "x";' 'core/Table.cpp:  std::snprintf(s, 4, "%d", 1);'
expect 1 "core/ uses the C++ standard library only" \
  'core/Table.cpp:#include <QString>'
expect 1 "core/ uses the C++ standard library only" \
  'core/Table.cpp:#include <unistd.h>'
expect 1 "core/ may not include rom/" 'core/Table.cpp:#include "rom/Image.h"'
expect 1 "rom/ may not include cli/" 'rom/Image.cpp:#include "cli/Tool.h"'
expect 1 "rom/ uses the C++ standard library only" \
  'rom/Image.cpp:#include <unistd.h>'
expect 1 "core/ may not include framework/" \
  'core/Table.cpp:#include "framework/Wnd.h"'
expect 1 "cli/ may not include framework/" \
  'cli/Tool.cpp:#include "framework/Wnd.h"'
expect 1 "cli/ may not include app/" 'cli/Tool.cpp:#include "app/View.h"'
expect 1 "cli/ links the core only, not Qt" 'cli/Tool.cpp:#include <QString>'
expect 1 "framework/ may not include core/" \
  'framework/Wnd.cpp:#include "core/Table.h"'
expect 1 "framework/ may not include cli/" \
  'framework/Wnd.cpp:#include "cli/Tool.h"'
expect 1 "framework/ may not include app/" \
  'framework/Wnd.cpp:#include "app/View.h"'
expect 1 "app/ may not include cli/" 'app/View.cpp:#include "cli/Tool.h"'
expect 1 "names its layer" 'app/View.cpp:#include "View.h"'
expect 1 "write to no standard stream" 'core/Table.cpp:  std::cerr << "x";'
expect 1 "write to no standard stream" 'rom/Image.cpp:  std::cout << 1;'
expect 1 "write to no standard stream" 'core/Table.cpp:  printf("%d", 1);'
expect 1 "names its layer" 'app/View.cpp:#include "app/Missing.h"'

[ "$failures" -eq 0 ] && echo "all cases passed"
exit $((failures > 0))
