#!/usr/bin/env bash
# Writes examples/search.rom (or FILE): a small ROM of a fictional RPG whose
# text uses no table Dalvren ships, for the examples of
# `dalvren-convert search --relative`:
#   0x00  a header
#   0x10  Latin text, one byte a character: 0-9 at 00, A-Z at 0A, a-z at
#         24, then blank 3E, ! 3F, . 40, line break FE, end of string FF
#   0x80  kana, one byte each in the order of the kana table below, from 80
#   0xA0  Latin text in two-byte big-endian units: A at 8260, a at 8281,
#         blank 8140, as full-width letters in Shift_JIS
#   0xE0  Latin text in two-byte little-endian units, as UTF-16LE
# Usage: scripts/make-search-rom.sh [FILE]
set -euo pipefail
export LC_ALL=C
out=${1:-$(dirname "$0")/../examples/search.rom}

hex=""
# Appends the bytes of the hexadecimal pairs given.
raw() {
  local pair
  for pair in "$@"; do hex+=$pair; done
}
# Appends zero bytes up to the offset $1.
pad_to() {
  while ((${#hex} / 2 < $1)); do hex+=00; done
}
# The value of the letter $1 in its alphabet: 0-9, A-Z or a-z from 0.
letter_index() {
  local code
  code=$(printf '%d' "'$1")
  case $1 in
    [0-9]) echo $((code - 48)) ;;
    [A-Z]) echo $((code - 65)) ;;
    [a-z]) echo $((code - 97)) ;;
  esac
}
# Appends $1 one byte a character.
latin() {
  local text=$1 i c
  for ((i = 0; i < ${#text}; i++)); do
    c=${text:i:1}
    case $c in
      [0-9]) hex+=$(printf '%02X' $((0x00 + $(letter_index "$c")))) ;;
      [A-Z]) hex+=$(printf '%02X' $((0x0A + $(letter_index "$c")))) ;;
      [a-z]) hex+=$(printf '%02X' $((0x24 + $(letter_index "$c")))) ;;
      ' ') hex+=3E ;;
      '!') hex+=3F ;;
      .) hex+=40 ;;
      *) echo "no code for '$c'" >&2 && exit 1 ;;
    esac
  done
}
kana=(あ い う え お か き く け こ さ し す せ そ た ち つ て と な に ぬ ね の
  は ひ ふ へ ほ ま み む め も や ゆ よ ら り る れ ろ わ を ん)
# Appends the kana given as words, one byte each.
kana() {
  local k i
  for k in "$@"; do
    for i in "${!kana[@]}"; do
      if [ "${kana[i]}" = "$k" ]; then
        hex+=$(printf '%02X' $((0x80 + i)))
      fi
    done
  done
}
# Appends $2 in two-byte units, $1 "be" (full-width Shift_JIS) or "le"
# (UTF-16LE).
wide() {
  local order=$1 text=$2 i c unit
  for ((i = 0; i < ${#text}; i++)); do
    c=${text:i:1}
    if [ "$order" = be ]; then
      case $c in
        [A-Z]) unit=$((0x8260 + $(letter_index "$c"))) ;;
        [a-z]) unit=$((0x8281 + $(letter_index "$c"))) ;;
        ' ') unit=$((0x8140)) ;;
      esac
      hex+=$(printf '%02X%02X' $((unit >> 8)) $((unit & 0xFF)))
    else
      hex+=$(printf '%02X00' "'$c")
    fi
  done
}

raw 44 4C 56 52 01 00
pad_to 0x10
latin "The HERO wakes up."
raw FE
latin "Find the Sword of 1000 Suns!"
raw FF
latin "HERO got 50 gold."
raw FF
latin "Welcome to Dalvren."
raw FF
pad_to 0x80
kana た す け て
raw FE
kana さ よ う な ら
raw FF
pad_to 0xA0
wide be "HERO of DALVREN"
raw FF FF
pad_to 0xE0
wide le "HERO of Dalvren"
raw 00 00
pad_to 0x110

escaped=""
for ((i = 0; i < ${#hex}; i += 2)); do escaped+="\\x${hex:i:2}"; done
printf '%b' "$escaped" >"$out"
