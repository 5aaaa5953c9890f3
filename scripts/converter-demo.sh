#!/usr/bin/env bash
# What run.sh shows where there is no display for the window: the
# command-line converter at work on the sample table and ROM.
#   scripts/converter-demo.sh FOLDER
# FOLDER holds the built dalvren-convert (run.sh gives build/release/cli).
set -euo pipefail
if [ $# -ne 1 ]; then
  echo "usage: $0 FOLDER (the folder that holds the built dalvren-convert)" >&2
  exit 2
fi
shown=${1%/}/dalvren-convert
if [ ! -x "$shown" ]; then
  echo "$0: $shown is not built" >&2
  exit 2
fi
# The sample files are named from the repository's root, where run.sh works.
convert=$(realpath -- "$shown")
cd "$(dirname "$0")/.."

cat <<MSG
Dalvren's window needs a display, and there is none (neither DISPLAY nor
WAYLAND_DISPLAY is set). Run ./run.sh from a desktop session or over ssh -X,
or picture the window on a virtual display with scripts/screenshot.sh.

The command-line converter needs none:
  $shown
converts whole files (--help shows its manual). Here it dumps the sample ROM
through the sample table, writing the bytes no code covers as <\$XX> tokens:

\$ $shown -t examples/sample.tbl dump --unknown=hex examples/sample.rom
MSG
"$convert" -t examples/sample.tbl dump --unknown=hex examples/sample.rom
# The dump ends without a line end, as the converter adds nothing.
echo
