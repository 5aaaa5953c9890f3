#!/usr/bin/env bash
# Builds the Debian package with scripts/package.sh (on the release build,
# which later runs reuse) and checks it as dpkg and apt see it: its name, its
# control fields and the dependencies dpkg-shlibdeps found, no maintainer
# scripts, every file where Debian wants it with sane owners and modes,
# stripped programs that run, and, where lintian is installed, no lintian
# error.
#   deb-test.sh SOURCE_DIR SCRATCH VERSION
set -euo pipefail
if [ $# -ne 3 ]; then
  echo "usage: $0 SOURCE_DIR SCRATCH VERSION" >&2
  exit 2
fi
source_dir=$1 scratch=$2 version=$3
for tool in dpkg-deb dpkg-shlibdeps readelf; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed" >&2
    exit 77
  fi
done
rm -rf "$scratch"
mkdir -p "$scratch"
status=0
fail() {
  echo "FAIL: $*" >&2
  status=1
}

# The nested build must not pick up the sanitizer settings of this one.
deb=$(env -u ASAN_OPTIONS -u UBSAN_OPTIONS "$source_dir/scripts/package.sh" \
  --deb "$scratch" | tail -n 1)
arch=$(dpkg --print-architecture)
[ "$(basename "$deb")" = "dalvren_${version}_${arch}.deb" ] ||
  fail "the package is named $(basename "$deb")"
[ -f "$deb" ] || {
  fail "no package at $deb"
  exit 1
}

field() { dpkg-deb --field "$deb" "$1"; }
for check in Package=dalvren "Version=$version" "Architecture=$arch" \
  Section=utils Priority=optional; do
  [ "$(field "${check%%=*}")" = "${check#*=}" ] ||
    fail "${check%%=*} is '$(field "${check%%=*}")', not '${check#*=}'"
done
[[ $(field Maintainer) =~ ^[^\<]+\ \<[^@\>]+@[^\>]+\>$ ]] ||
  fail "Maintainer is '$(field Maintainer)'"
description=$(field Description)
[ -n "$(head -n 1 <<<"$description")" ] || fail "the Description has no summary"
[ "$(wc -l <<<"$description")" -ge 3 ] || fail "the Description is one line"

# The dependencies come from the programs' libraries, each with its version.
depends=$(field Depends)
for library in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6; do
  grep -qE "^${library//+/\\+} \(>= [^)]+\)\$" <<<"${depends//, /$'\n'}" ||
    fail "Depends lacks $library with a version: $depends"
done

# Debian's triggers refresh the desktop, MIME, icon and manual databases: the
# package carries no scripts of its own.
members=$(dpkg-deb --ctrl-tarfile "$deb" | tar -t | sed 's|^\./||;/^$/d' |
  sort | tr '\n' ' ')
[ "$members" = "control md5sums " ] ||
  fail "the control archive holds: $members"

expected="./usr/bin/dalvren
./usr/bin/dalvren-convert
./usr/share/applications/dalvren.desktop
./usr/share/bash-completion/completions/dalvren-convert
./usr/share/doc/dalvren/changelog.gz
./usr/share/doc/dalvren/copyright
./usr/share/icons/hicolor/16x16/apps/dalvren.png
./usr/share/icons/hicolor/16x16/mimetypes/application-x-thingy-table.png
./usr/share/icons/hicolor/32x32/apps/dalvren.png
./usr/share/icons/hicolor/32x32/mimetypes/application-x-thingy-table.png
./usr/share/icons/hicolor/scalable/apps/dalvren.svg
./usr/share/icons/hicolor/scalable/mimetypes/application-x-thingy-table.svg
./usr/share/man/man1/dalvren-convert.1.gz
./usr/share/man/man1/dalvren.1.gz
./usr/share/metainfo/example.dalvren.Dalvren.metainfo.xml
./usr/share/mime/packages/dalvren.xml"
contents=$(dpkg-deb --contents "$deb")
files=$(awk '$1 !~ /^d/ { print $6 }' <<<"$contents" | sort)
if [ "$files" != "$expected" ]; then
  fail "the package's files differ from the expected list:"
  diff <(echo "$expected") <(echo "$files") >&2 || true
fi
while read -r mode owner _ _ _ path _; do
  case $mode:$path in
    d*) want=drwxr-xr-x ;;
    *:./usr/bin/*) want=-rwxr-xr-x ;;
    *) want=-rw-r--r-- ;;
  esac
  [ "$mode" = "$want" ] || fail "$path has mode $mode, not $want"
  [ "$owner" = root/root ] || fail "$path belongs to $owner"
  [[ $path == ./usr/* ]] || fail "$path lies outside /usr"
done <<<"$contents"

# What apt would unpack: stripped programs that answer, readable documents.
root=$scratch/root
dpkg-deb --extract "$deb" "$root"
for program in dalvren dalvren-convert; do
  if readelf --section-headers "$root/usr/bin/$program" | grep -q '\.symtab'; then
    fail "$program is not stripped"
  fi
done
[ "$("$root/usr/bin/dalvren-convert" --version)" = "dalvren-convert $version" ] ||
  fail "the packaged dalvren-convert does not answer --version"
[ "$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM \
  "$root/usr/bin/dalvren" --version)" = "Dalvren $version" ] ||
  fail "the packaged dalvren does not answer --version"
[[ $(zcat "$root/usr/share/doc/dalvren/changelog.gz" | head -n 1) == \
  "dalvren ($version) "* ]] || fail "the change log does not start with $version"
for page in dalvren dalvren-convert; do
  zcat "$root/usr/share/man/man1/$page.1.gz" | grep -q '^\.TH' ||
    fail "$page.1.gz is no manual page"
done
# The entry is the very one the program registers for itself.
cmp -s "$root/usr/share/applications/dalvren.desktop" \
  "$source_dir/res/dalvren.desktop" ||
  fail "the packaged desktop entry differs from res/dalvren.desktop"

if command -v lintian >/dev/null; then
  # lintian warns when run as root; that line is not about the package.
  report=$(lintian --display-info "$deb" 2>&1 |
    grep -v '^running with root privileges' || true)
  [ -n "$report" ] && echo "$report"
  if grep -q '^E: ' <<<"$report"; then
    fail "lintian finds errors in the package"
  fi
else
  echo "lintian is not installed: the package was not linted"
fi

[ $status -eq 0 ] && echo "$(basename "$deb"): $(wc -l <<<"$files") files, Depends: $depends"
exit $status
