#!/usr/bin/env bash
# Writes examples/game.rom, the ROM of the README's whole-ROM example (read
# through examples/sample.tbl with examples/game-layout.txt), or FILE:
#   scripts/make-example-rom.sh [FILE]
# 1 KiB: a 16-byte header, bytes that stand for code and data, a block of
# menu words at 0x40, a table of 7 pointers at 0x100 (16-bit, little-endian,
# value 0x8000 for offset 0x10) to 6 strings at 0x120 (two pointers share
# one, and one leads into the middle of another), and free space from 0x300
# to the end. Every byte is the same on every run.
set -euo pipefail
out=${1:-$(dirname "$0")/../examples/game.rom}

rom=()
# Code and data: a pattern no table reads as text.
for ((i = 0; i < 1024; i++)); do
  rom[i]=$(((i * 37 + 11) & 0xFF))
done
# Free space.
for ((i = 0x300; i < 1024; i++)); do rom[i]=0; done

# put OFFSET BYTE...: bytes from OFFSET on.
put() {
  local at=$1
  shift
  for byte in "$@"; do
    rom[at]=$byte
    at=$((at + 1))
  done
}

# The sample table's codes: ASCII for letters, digits and punctuation, C0
# for "the", C5 for "Hero", C7 for "sword", FF for the end of a string.
# text OFFSET PIECE...: each piece is plain ASCII or one of those codes
# (written as 0xC0), and FF follows. Sets `at` to the offset after it.
text() {
  local pos=$1 piece c
  shift
  for piece in "$@"; do
    if [[ $piece == 0x* ]]; then
      put "$pos" "$((piece))"
      pos=$((pos + 1))
      continue
    fi
    for ((c = 0; c < ${#piece}; c++)); do
      put "$pos" "$(printf '%d' "'${piece:c:1}")"
      pos=$((pos + 1))
    done
  done
  put "$pos" 255
  at=$((pos + 1))
}

put 0 68 65 76 86 82 69 78 32 69 88 65 77 80 76 69 26  # "DALVREN EXAMPLE"

# The menu: one string after another, 0x40 to 0x5D.
at=0x40
for word in Items Magic Equip Status Save; do text "$at" "$word"; done

# The strings the pointers lead to, and the pointers (value = offset +
# 0x7FF0, as when the ROM's first 16 bytes are a header before bank 8000).
pointers=()
at=0x120
pointers+=("$at")
text "$at" "Welcome to Dalvren!"
pointers+=("$at")
text "$at" "The " 0xC5 " finds " 0xC0 " " 0xC7 "."
pointers+=("$at" "$((at + 3))")  # "Hi-Potion", and "Potion" inside it
text "$at" "Hi-Potion"
pointers+=("$at" "$at")  # shared by two pointers
text "$at" "Thank you!"
pointers+=("$at")
text "$at" "Goodbye."
for ((k = 0; k < ${#pointers[@]}; k++)); do
  value=$((pointers[k] + 0x7FF0))
  put $((0x100 + 2 * k)) $((value & 0xFF)) $((value >> 8))
done

format=""
for byte in "${rom[@]}"; do format+=$(printf '\\x%02X' "$byte"); done
printf "$format" >"$out"
