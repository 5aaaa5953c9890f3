#!/usr/bin/env bash
# The README's examples run as a reader would type them, one after another in
# a folder that holds a copy of examples/, and each must print what the README
# shows after it. A README page is what a terminal shows: standard output and
# standard error mixed, so the lines shown must be the two streams' lines,
# each stream's in its order; output without a final line break is shown on a
# line of its own.
#   readme-test.sh README.md EXAMPLES_DIR CONVERTER WORK_DIR
set -uo pipefail
readme=$1 examples=$2 converter=$(realpath -- "$3") work=$4

rm -rf "$work"
mkdir -p "$work/bin" "$work/run" "$work/expected"
cp -r "$examples" "$work/run/examples"
ln -s "$converter" "$work/bin/dalvren-convert"

# Each "$ " line of a code block is a command; the lines after it, up to the
# next command or the end of the block, are what it prints.
awk -v dir="$work/expected" '
  /^```/ { block = !block; current = 0; next }
  !block { next }
  /^\$ / { current = ++n
           print substr($0, 3) > (dir "/" n ".command"); close(dir "/" n ".command")
           printf "" > (dir "/" n ".shown"); next }
  current > 0 { print >> (dir "/" current ".shown") }
' "$readme"

# True when `shown` is an interleaving of the lines of `out` and of `err`.
interleaves() {
  awk -v outfile="$2" -v errfile="$3" '
    BEGIN {
      while ((getline line < outfile) > 0) out[++no] = line
      while ((getline line < errfile) > 0) err[++ne] = line
      i = 1; j = 1
    }
    {
      if (i <= no && out[i] == $0) i++
      else if (j <= ne && err[j] == $0) j++
      else exit 1
    }
    END { if (i <= no || j <= ne) exit 1 }
  ' "$1"
}

failures=0 n=0
count=$(find "$work/expected" -name '*.command' | wc -l)
[ "$count" -ge 40 ] || { echo "only $count commands found in $readme" >&2; exit 1; }
for ((n = 1; n <= count; n++)); do
  command=$(cat "$work/expected/$n.command")
  (cd "$work/run" && PATH=$work/bin:$PATH LC_ALL=C.UTF-8 \
    bash -c "$command" </dev/null >"../$n.out" 2>"../$n.err")
  # Output that ends without a line break ends the line all the same.
  for part in out err; do
    [ -s "$work/$n.$part" ] && [ -n "$(tail -c1 "$work/$n.$part")" ] &&
      echo >>"$work/$n.$part"
  done
  if ! interleaves "$work/expected/$n.shown" "$work/$n.out" "$work/$n.err"; then
    failures=$((failures + 1))
    echo "\$ $command" >&2
    echo "  the README shows:" >&2
    sed 's/^/    /' "$work/expected/$n.shown" >&2
    echo "  it prints (standard output, then standard error):" >&2
    cat "$work/$n.out" "$work/$n.err" | sed 's/^/    /' >&2
  fi
done
[ "$failures" -eq 0 ] || { echo "$failures of $count examples differ" >&2; exit 1; }
echo "$count examples of the README print what it shows"
