#!/usr/bin/env bash
# Runs a Windows program of the windows preset under Wine:
#   scripts/wine-run.sh PROGRAM.exe [ARGUMENT...]
# in the Wine prefix WINEPREFIX names, or build/windows/wine-prefix, made
# quietly on first use. Wine's own messages are silenced, and it runs in a
# UTF-8 locale (C.UTF-8 unless another UTF-8 one is set), without which it
# would pass arguments and file names on in ASCII.
set -euo pipefail
# Wine takes an absolute path only.
export WINEPREFIX=${WINEPREFIX:-$(cd "$(dirname "$0")/.." && pwd)/build/windows/wine-prefix}
export WINEDEBUG=-all
# No offer to install Mono or Gecko, which nothing here needs.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
case "${LC_ALL:-${LC_CTYPE:-${LANG:-}}}" in
  *.UTF-8 | *.utf8) ;;
  *) export LC_ALL=C.UTF-8 ;;
esac
# Debian's wine64 package puts the loader and the server here; the wine
# package adds /usr/bin/wine.
loader=/usr/lib/wine/wine64 server=/usr/lib/wine/wineserver
[ -x "$loader" ] || loader=$(command -v wine || true)
[ -x "$server" ] || server=$(command -v wineserver || true)
if [ -z "$loader" ] || [ -z "$server" ]; then
  echo "$0: Wine is not installed (Debian: apt install wine64)" >&2
  exit 127
fi
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  # Tests that start at once make the prefix once.
  (
    flock 9
    [ -f "$WINEPREFIX/system.reg" ] ||
      "$loader" wineboot --init >/dev/null 2>&1
  ) 9>"$WINEPREFIX.lock"
fi
# The first program of a Wine session starts its services, which inherit
# its standard streams and keep them open for seconds after it ends: a
# pipe from the program would not end with it. They start here instead,
# with no streams of ours.
if ! "$server" -k0 2>/dev/null; then
  "$loader" cmd /c exit </dev/null >/dev/null 2>&1 || true
fi
if [ -z "${DALVREN_WINE_AGAIN:-}" ]; then
  exec "$loader" "$@"
fi
# DALVREN_WINE_AGAIN=1, for runs whose input is a file or a pipe that ends:
# under Wine 8, about one run in a thousand ends with status 1 before the
# program writes anything, which no program of ours does. Such a run is
# made once more, from the same input, and noted in WINE_AGAIN_LOG if set.
# Standard output and error are held until the program ends, together
# where they go to the same place.
held=$(mktemp -d)
trap 'rm -rf "$held"' EXIT
cat >"$held/in"
together=no
[ "$(readlink /proc/$$/fd/1)" = "$(readlink /proc/$$/fd/2)" ] &&
  together=yes
for attempt in 1 2; do
  status=0
  if [ $together = yes ]; then
    "$loader" "$@" <"$held/in" >"$held/out" 2>&1 || status=$?
    : >"$held/err"
  else
    "$loader" "$@" <"$held/in" >"$held/out" 2>"$held/err" || status=$?
  fi
  if [ $status != 1 ] || [ -s "$held/out" ] || [ -s "$held/err" ]; then
    break
  fi
  if [ -n "${WINE_AGAIN_LOG:-}" ]; then
    echo "status 1 and no output, run again: $*" >>"$WINE_AGAIN_LOG"
  fi
done
cat "$held/out"
cat "$held/err" >&2
exit $status
