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
exec "$loader" "$@"
