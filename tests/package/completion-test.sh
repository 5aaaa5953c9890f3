#!/usr/bin/env bash
# Drives the bash completion of dalvren-convert as bash does on Tab: the words
# of a command line in COMP_WORDS, split at "=" as readline splits them, and
# the completion function's COMPREPLY compared with what it must offer.
#   completion-test.sh COMPLETION DALVREN_CONVERT
set -euo pipefail
if [ $# -ne 2 ]; then
  echo "usage: $0 COMPLETION DALVREN_CONVERT" >&2
  exit 2
fi
completion=$(realpath -- "$1")
convert=$(realpath -- "$2")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# The program is found on PATH under its own name, as after installation.
mkdir "$scratch/bin" "$scratch/work"
ln -s "$convert" "$scratch/bin/dalvren-convert"
export PATH="$scratch/bin:$PATH"

# Completes LINE (its last word may be empty: "dump ") in a fresh bash, and
# prints the offered words one per line, sorted, with the options the
# completion set for them as "@-o NAME" (compopt only works on a real Tab, so
# it is recorded instead). With SPLIT=no, "=" does not break words, as when
# bash-completion joins them again.
complete_line() {
  local line=$1
  SPLIT=${SPLIT:-yes} bash --norc --noprofile -c '
    source "$1"
    compopt() { printf "@%s\n" "$*"; }
    read -r -a COMP_WORDS <<<"$2"
    [[ $2 == *" " ]] && COMP_WORDS+=("")
    if [[ $SPLIT == yes ]]; then
      split=()
      for word in "${COMP_WORDS[@]}"; do
        if [[ $word == ?*=* ]]; then
          split+=("${word%%=*}" "=")
          [[ -n ${word#*=} || $word == "${COMP_WORDS[-1]}" ]] &&
            split+=("${word#*=}")
        else
          split+=("$word")
        fi
      done
      COMP_WORDS=("${split[@]}")
    fi
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE=$2
    COMP_POINT=${#2}
    { _dalvren_convert; printf "%s\n" "${COMPREPLY[@]}"; } | sed "/^$/d" |
      sort' _ "$completion" "$line"
}

failures=0
# expect LINE EXACT...: the offered words are exactly these.
expect() {
  local line=$1
  shift
  local want got
  want=$(printf '%s\n' "$@" | sed '/^$/d' | sort)
  got=$(complete_line "$line")
  if [ "$got" != "$want" ]; then
    echo "FAIL: '$line' (split at '=': ${SPLIT:-yes})" >&2
    echo "  offered: $(tr '\n' ' ' <<<"$got")" >&2
    echo "  wanted:  $(tr '\n' ' ' <<<"$want")" >&2
    failures=$((failures + 1))
  fi
}
# expect_some LINE +WORD... -WORD...: offers every +WORD and no -WORD.
expect_some() {
  local line=$1 word got
  shift
  got=$(complete_line "$line")
  for word in "$@"; do
    case $word in
      +*) grep -qxF -- "${word#+}" <<<"$got" || {
        echo "FAIL: '$line' does not offer ${word#+} (offers: $(tr '\n' ' ' <<<"$got"))" >&2
        failures=$((failures + 1))
      } ;;
      -*) ! grep -qxF -- "${word#-}" <<<"$got" || {
        echo "FAIL: '$line' offers ${word#-}" >&2
        failures=$((failures + 1))
      } ;;
    esac
  done
}

cd "$scratch/work"
mkdir tables
touch game.tbl OLD.TBL notes.txt tables/sjis.tbl

# Commands, once the table is given and before.
expect 'dalvren-convert -t game.tbl ' build check diff dump extract insert \
  patch roundtrip search
expect 'dalvren-convert ' build check diff dump extract insert patch \
  roundtrip search
expect 'dalvren-convert -q -t game.tbl ro' roundtrip
expect 'dalvren-convert --hex-in --offset 4 d' diff dump
# An option's value is no command, and "--" ends the options, not the command.
expect 'dalvren-convert -o check -t game.tbl ch' check
expect 'dalvren-convert -t game.tbl -- d' diff dump
expect 'dalvren-convert -t game.tbl -- dump --' '@-o filenames'
# Options, those of the command given, and every command's own.
expect 'dalvren-convert -t game.tbl insert --o' --optimal
expect 'dalvren-convert -t game.tbl dump --hex' --hex-in --hex-out
expect 'dalvren-convert -t game.tbl insert --st' --stats --strict
expect 'dalvren-convert -t game.tbl dump --s' --strict
expect_some 'dalvren-convert -t game.tbl check --' +--strict \
  +--table-encoding +--help -- -hex-in -- -optimal
expect_some 'dalvren-convert -t game.tbl roundtrip -' +--optimal +--offset \
  +-q -- -o -- -hex-out -- -strict
# The whole-ROM commands' own options, and no table options after diff.
expect_some 'dalvren-convert -t game.tbl build --' +--patch +--force \
  +--stats +--strict -- -optimal -- -hex-in
expect_some 'dalvren-convert diff -' +-o -- --patch -- --force -- --strict
expect 'dalvren-convert -t game.tbl build --p' --patch
expect 'dalvren-convert -t game.tbl build --patch ' notes.txt OLD.TBL \
  game.tbl tables '@-o filenames'
# Option values, with "=" splitting words and without.
expect 'dalvren-convert -t game.tbl dump --unknown=' hex skip
expect 'dalvren-convert -t game.tbl dump --unknown=h' hex
expect 'dalvren-convert --unknown ' hex skip
SPLIT=no expect 'dalvren-convert dump --unknown=s' --unknown=skip
expect 'dalvren-convert -t game.tbl dump --unknown=hex ' notes.txt OLD.TBL \
  game.tbl tables '@-o filenames'
# Tables after -t, input after the command, character sets by name.
expect 'dalvren-convert -t ' game.tbl OLD.TBL tables '@-o filenames'
expect 'dalvren-convert -t tables/' tables/sjis.tbl '@-o filenames'
expect 'dalvren-convert dump -o n' notes.txt '@-o filenames'
expect 'dalvren-convert -t game.tbl dump n' notes.txt '@-o filenames'
expect 'dalvren-convert -t game.tbl dump --offset ' ''
expect_some 'dalvren-convert -t game.tbl --table-encoding shift_j' +SHIFT_JIS
# search: its options, the width's values, and a file for the starter table.
expect 'dalvren-convert search --w' --width
expect 'dalvren-convert search --relative HERO --width ' 1 2
expect_some 'dalvren-convert search --' +--relative +--alphabet +--context \
  +--table-out +--hit -- -optimal -- -hex-in
expect_some 'dalvren-convert -t game.tbl dump --' -- -relative -- -table-out
expect 'dalvren-convert search --relative HERO --table-out n' notes.txt \
  '@-o filenames'
expect 'dalvren-convert search --relative ' ''

# Every option --help names is offered, so the two cannot drift apart.
all=$(complete_line 'dalvren-convert -')
for option in $("$convert" --help |
  grep -oE '(^|[^A-Za-z0-9_-])--?[A-Za-z][A-Za-z0-9-]*' | sed 's/^[^-]//' |
  sort -u); do
  if ! grep -qxE -- "$option=?" <<<"$all"; then
    echo "FAIL: --help names $option, which is not completed" >&2
    failures=$((failures + 1))
  fi
done

# Values named in --help as --name=a|b, and those of --table-syntax, which
# the manual may describe in words, come to whatever option has them.
fake() {
  # The real --help may name the option too; it is left out, so that the
  # help names it only as written here.
  local name=${1%%[= ]*}
  { "$convert" --help | sed -n '1,/^OPTIONS/p' | grep -v -- "$name"
    printf '%s\n' "    $1" "                  How table lines read."
    "$convert" --help | sed '1,/^OPTIONS/d' | grep -v -- "$name"
  } >"$scratch/help.txt"
  # The link goes first: writing through it would replace the real program.
  rm -f "$scratch/bin/dalvren-convert"
  printf '#!/bin/sh\ncat "%s"\n' "$scratch/help.txt" >"$scratch/bin/dalvren-convert"
  chmod +x "$scratch/bin/dalvren-convert"
}
fake '--table-syntax=plain|extended'
expect 'dalvren-convert -t game.tbl dump --table-s' --table-syntax= \
  '@-o nospace'
expect 'dalvren-convert --table-syntax=' extended plain
fake '--table-syntax SYNTAX'
expect 'dalvren-convert -t game.tbl dump --table-s' --table-syntax
expect 'dalvren-convert --table-syntax e' extended
fake '--colour=red|green'
expect 'dalvren-convert check --colour=' green red

if [ $failures -ne 0 ]; then
  echo "$failures completion checks failed" >&2
  exit 1
fi
echo "completion: every check passed"
