#!/usr/bin/env bash
# The zip for Windows users holds the program, the manual, the read-me and
# the copyright file, the texts with Windows line ends; the read-me's batch
# file runs under Wine's cmd; and the zipped program, run under Wine on
# every example of the README (the commands after "$ " in its code blocks,
# in order, in a folder with examples/), writes what the Linux build writes,
# byte for byte, and leaves the same files:
#   zip-test.sh WINE_RUN ZIP LINUX_CONVERT SOURCE_DIR
set -uo pipefail
wine=$(realpath -- "$1") zip=$(realpath -- "$2")
linux=$(realpath -m -- "$3") source_dir=$(realpath -- "$4")
if [ ! -x "$linux" ]; then
  echo "$linux is not built: build the debug preset first" >&2
  exit 1
fi
work=$(mktemp -d)
trap 'cat "$work/wine-again.log" 2>/dev/null >&2; rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

folder=$(basename "$zip" .zip)
expected=$(printf '%s\n' "$folder/" "$folder/COPYRIGHT.txt" "$folder/MANUAL.txt" \
  "$folder/README.txt" "$folder/dalvren-convert.exe")
listed=$(unzip -Z1 "$zip" | sort)
[ "$listed" = "$expected" ] || fail "the zip holds: $listed"
unzip -q "$zip" -d "$work/unzipped" || fail "the zip does not unpack"
unzipped=$work/unzipped/$folder
exe=$unzipped/dalvren-convert.exe

# Text for Notepad: every line ends with CR LF, and the text is the source's.
for text in MANUAL:"$("$linux" --help)" README:"$(cat "$source_dir/res/windows/README.txt")" \
  COPYRIGHT:"$(cat "$source_dir/res/debian/copyright")"; do
  file=$unzipped/${text%%:*}.txt
  if grep -qv $'\r$' "$file"; then
    fail "${text%%:*}.txt has a line without CR LF"
  fi
  [ "$(tr -d '\r' <"$file")" = "${text#*:}" ] ||
    fail "${text%%:*}.txt is not the text it comes from"
done

# The read-me's batch file, on the example game.
batch=$work/batch
mkdir "$batch"
sed -n 's/^    //p' "$unzipped/README.txt" | sed 's/$/\r/' >"$batch/translate.bat"
grep -q 'dalvren-convert .* build ' "$batch/translate.bat" ||
  fail "the read-me has no batch file that builds a ROM"
cp "$exe" "$batch/"
cp "$source_dir/examples/sample.tbl" "$batch/game.tbl"
cp "$source_dir/examples/game.rom" "$source_dir/examples/game-layout.txt" "$batch/"
said=$(cd "$batch" && "$wine" cmd /c translate.bat 2>&1) ||
  fail "translate.bat failed: $said"
for made in menu.txt menu.bin game.txt new.rom game.ips patched.rom; do
  [ -s "$batch/$made" ] || fail "translate.bat made no $made"
done
cmp -s "$batch/patched.rom" "$batch/new.rom" ||
  fail "translate.bat: the patched ROM is not the new ROM"
cmp -s "$batch/menu.txt" <("$linux" -t "$batch/game.tbl" dump --offset 0x40 \
  --length 30 "$batch/game.rom" 2>/dev/null) || fail "translate.bat: menu.txt"

# The README's examples.
awk '/^```/ { block = !block; next } block && /^\$ / { print substr($0, 3) }' \
  "$source_dir/README.md" >"$work/commands"
count=$(grep -c 'dalvren-convert' "$work/commands")
[ "$count" -ge 40 ] || fail "only $count examples of the converter in the README"
for system in linux windows; do
  mkdir -p "$work/$system/bin" "$work/$system/run"
  cp -r "$source_dir/examples" "$work/$system/run/"
done
printf '#!/bin/sh\nexec %q "$@"\n' "$linux" >"$work/linux/bin/dalvren-convert"
# A run Wine ends before it starts is made again (scripts/wine-run.sh).
printf '#!/bin/sh\nDALVREN_WINE_AGAIN=1 WINE_AGAIN_LOG=%q exec %q %q "$@"\n' \
  "$work/wine-again.log" "$wine" "$exe" >"$work/windows/bin/dalvren-convert"
chmod +x "$work"/*/bin/dalvren-convert
n=0
while IFS= read -r command; do
  n=$((n + 1))
  for system in linux windows; do
    (cd "$work/$system/run" && PATH=$work/$system/bin:$PATH LC_ALL=C.UTF-8 \
      bash -c "$command" </dev/null >"../$n.out" 2>"../$n.err"
    echo $? >"../$n.status")
  done
  for part in out err status; do
    if ! cmp -s "$work/linux/$n.$part" "$work/windows/$n.$part"; then
      fail "\$ $command: the $part differs (< Linux, > Windows):"
      diff "$work/linux/$n.$part" "$work/windows/$n.$part" | head -10 >&2
    fi
  done
done <"$work/commands"
if ! diff -r "$work/linux/run" "$work/windows/run" >/dev/null; then
  fail "the examples leave other files:"
  diff -rq "$work/linux/run" "$work/windows/run" >&2
fi
[ "$failures" -eq 0 ] || exit 1
echo "$n commands of the README, $count of them with the converter, alike"
