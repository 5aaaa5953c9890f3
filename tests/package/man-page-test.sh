#!/usr/bin/env bash
# Checks a manual page against the plain-text manual it was made from, as a
# reader sees it: rendered by groff, every option the manual names is on the
# page; with --whole-text every word of the manual is, in its order, also on
# a narrow terminal; with --lines FILE each line of FILE shows on an 80-column
# terminal exactly as written. The page must render without a warning from
# groff or man.
#   man-page-test.sh --program PROGRAM PAGE [--whole-text] [--lines FILE]
#   man-page-test.sh --text FILE PAGE [--whole-text] [--lines FILE]
# The manual is PROGRAM --help, or FILE.
set -euo pipefail
usage="usage: $0 --program PROGRAM | --text FILE  PAGE [--whole-text]"
usage+=" [--lines FILE]"
if [ $# -lt 3 ]; then
  echo "$usage" >&2
  exit 2
fi
source_kind=$1 source=$2 page=$3
shift 3
whole=no lines=""
while [ $# -gt 0 ]; do
  case $1 in
    --whole-text) whole=yes ;;
    --lines)
      lines=$2
      shift
      ;;
    *)
      echo "$usage" >&2
      exit 2
      ;;
  esac
  shift
done
for tool in groff man; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed" >&2
    exit 77
  fi
done
export LC_ALL=C.UTF-8 MANWIDTH=80

case $source_kind in
  --program) manual=$("$source" --help) ;;
  --text) manual=$(cat -- "$source") ;;
  *)
    echo "$0: unknown source $source_kind" >&2
    exit 2
    ;;
esac

status=0

# Warnings of either kind, with the width man uses on a terminal.
warnings=$(groff -k -man -ww -z -- "$page" 2>&1 >/dev/null || true)
warnings+=$(man --warnings -l -- "$page" 2>&1 >/dev/null || true)
if [ -n "$warnings" ]; then
  echo "FAIL: $page renders with warnings:" >&2
  echo "$warnings" >&2
  status=1
fi

# The page as text WIDTH columns wide, with the dashes and quotes of some
# terminals made plain.
render() {
  groff -k -man -Tutf8 -P-cbou -rLL="$1"n -- "$page" |
    sed -e 's/\xe2\x88\x92/-/g; s/\xe2\x80\x90/-/g' \
      -e "s/\xe2\x80\x99/'/g; s/\xe2\x80\x98/\`/g"
}
rendered=$(render 100)
if [ -z "$rendered" ]; then
  echo "FAIL: $page renders as nothing" >&2
  exit 1
fi

options=$(grep -oE '(^|[^A-Za-z0-9_-])--?[A-Za-z][A-Za-z0-9-]*' <<<"$manual" |
  sed 's/^[^-]//' | sort -u)
if [ -z "$options" ]; then
  echo "FAIL: the manual names no option at all" >&2
  status=1
fi
missing=()
for option in $options; do
  if ! grep -qE -- "(^|[^A-Za-z0-9_-])$option([^A-Za-z0-9_-]|\$)" <<<"$rendered"; then
    missing+=("$option")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "FAIL: options the manual names that $page lacks: ${missing[*]}" >&2
  status=1
fi

if [ "$whole" = yes ]; then
  # The page's words, without its header and footer lines. On a narrow
  # terminal no word may break at a dash: options must copy whole.
  words() { tr -s ' \t\n' '\n' | sed '/^$/d'; }
  for width in 100 30; do
    body=$(render $width | sed '/^[[:space:]]*$/d' | sed '1d;$d')
    if ! diff_out=$(diff <(words <<<"$manual") <(words <<<"$body")); then
      echo "FAIL: $page, $width columns wide, does not say what the manual" \
        "says, word for word:" >&2
      echo "$diff_out" | head -40 >&2
      status=1
    fi
  done
fi

if [ -n "$lines" ]; then
  shown=$(render 80)
  while IFS= read -r line; do
    if ! grep -qxF -- "$line" <<<"$shown"; then
      echo "FAIL: $page does not show the line:" >&2
      echo "$line" >&2
      status=1
    fi
  done <"$lines"
fi

[ $status -eq 0 ] && echo "$page: $(wc -w <<<"$options") options, renders cleanly"
exit $status
