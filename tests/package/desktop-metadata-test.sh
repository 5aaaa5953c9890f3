#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks its desktop metadata as
# a desktop and a software centre read it: the desktop entry passes
# desktop-file-validate, the AppStream metadata passes appstreamcli
# (validate-tree also finds the desktop entry it launches), and the metadata
# names the MIME type, programs and version that are installed.
#   desktop-metadata-test.sh BUILD_DIR SCRATCH
set -euo pipefail
if [ $# -ne 2 ]; then
  echo "usage: $0 BUILD_DIR SCRATCH" >&2
  exit 2
fi
build=$1 scratch=$2
for tool in desktop-file-validate appstreamcli; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed" >&2
    exit 77
  fi
done
rm -rf "$scratch"
trap 'rm -rf "$scratch"' EXIT
cmake --install "$build" --prefix "$scratch/usr" >/dev/null
share=$scratch/usr/share
status=0
fail() {
  echo "FAIL: $*" >&2
  status=1
}

entry=$share/applications/dalvren.desktop
# Hints are advice (two main categories, for one); errors and warnings fail.
if ! report=$(desktop-file-validate "$entry" 2>&1) ||
  grep -qE ': (error|warning): ' <<<"$report"; then
  fail "desktop-file-validate refuses the desktop entry:"
  echo "$report" >&2
fi

if ! report=$(appstreamcli validate-tree --no-net "$scratch" 2>&1); then
  fail "appstreamcli refuses the installed metadata:"
  echo "$report" >&2
fi

shopt -s nullglob
metainfo=("$share"/metainfo/*.metainfo.xml)
if [ ${#metainfo[@]} -ne 1 ]; then
  fail "wanted one metainfo file, found ${#metainfo[@]}"
  exit 1
fi
meta=$(cat "${metainfo[0]}")
tag() { sed -n "s|.*<$1[^>]*>\\([^<]*\\)</$1>.*|\\1|p" <<<"$meta"; }

id=$(tag id)
[ "$(basename "${metainfo[0]}")" = "$id.metainfo.xml" ] ||
  fail "the metainfo file is not named after its component $id"
[ "$(tag launchable)" = dalvren.desktop ] ||
  fail "the metadata launches '$(tag launchable)', not dalvren.desktop"

# The type the metadata says the program opens is the one the package
# installs, and the one the desktop entry takes.
installed_types=$(sed -n 's|.*<mime-type type="\([^"]*\)".*|\1|p' \
  "$share"/mime/packages/*.xml | sort)
[ -n "$installed_types" ] || fail "no MIME type is installed"
[ "$(tag mediatype | sort)" = "$installed_types" ] ||
  fail "metadata types '$(tag mediatype)' are not the installed '$installed_types'"
entry_types=$(sed -n 's/^MimeType=//p' "$entry" | tr ';' '\n' | sed '/^$/d' |
  sort)
[ "$entry_types" = "$installed_types" ] ||
  fail "the desktop entry opens '$entry_types', not '$installed_types'"

for binary in $(tag binary); do
  [ -x "$scratch/usr/bin/$binary" ] || fail "no installed program $binary"
done
[ -n "$(tag binary)" ] || fail "the metadata names no program"

# Its release is the installed program's version.
release=$(sed -n 's|.*<release version="\([^"]*\)".*|\1|p' <<<"$meta")
version=$("$scratch/usr/bin/dalvren-convert" --version)
[ "dalvren-convert $release" = "$version" ] ||
  fail "the metadata's release $release is not the program's: $version"

[ $status -eq 0 ] && echo "desktop entry and metadata of $id are valid"
exit $status
