#!/usr/bin/env bash
# What the Windows converter promises, one case at a time, run under Wine
# and, wherever both systems must agree, compared byte for byte with the
# Linux build run on a copy of the same files:
#   converter-test.sh CASE WINE_RUN WINDOWS_CONVERT.exe LINUX_CONVERT OBJDUMP
set -uo pipefail
case_name=$1 objdump=$5
# The cases run in folders of their own.
wine=$(realpath -- "$2") exe=$(realpath -- "$3") linux=$(realpath -m -- "$4")
examples=$(cd "$(dirname "$0")/../../examples" && pwd)
if [ ! -x "$linux" ]; then
  echo "$linux is not built: build the debug preset first" >&2
  exit 1
fi
work=$(mktemp -d)
trap 'cat "$work/wine-again.log" 2>/dev/null >&2; rm -rf "$work"' EXIT
mkdir "$work/linux" "$work/windows"
failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# put NAME FORMAT [ARG...]: the file NAME, as printf writes FORMAT, in both
# folders.
put() {
  local name=$1
  shift
  # shellcheck disable=SC2059
  printf "$@" >"$work/linux/$name"
  cp -- "$work/linux/$name" "$work/windows/$name"
}

# copy FILE NAME: FILE as NAME in both folders.
copy() {
  cp -- "$1" "$work/linux/$2"
  cp -- "$1" "$work/windows/$2"
}

# windows ARG...: the Windows converter in its folder, with standard input
# from $stdin.
stdin=/dev/null
# A run Wine ends before it starts is made again (scripts/wine-run.sh).
windows() {
  (cd "$work/windows" &&
    DALVREN_WINE_AGAIN=1 WINE_AGAIN_LOG=$work/wine-again.log \
      "$wine" "$exe" "$@" <"$stdin")
}

# both LABEL ARG...: runs both converters with ARG, each in its folder;
# fails unless they write the same standard output and error, exit with the
# same status and leave the same files. Their output is in
# $work/LABEL.{linux,windows}.{out,err,status}.
both() {
  local label=$1
  shift
  (cd "$work/linux" && "$linux" "$@") <"$stdin" \
    >"$work/$label.linux.out" 2>"$work/$label.linux.err"
  echo $? >"$work/$label.linux.status"
  windows "$@" >"$work/$label.windows.out" 2>"$work/$label.windows.err"
  echo $? >"$work/$label.windows.status"
  local part
  for part in out err status; do
    if ! cmp -s "$work/$label.linux.$part" "$work/$label.windows.$part"; then
      fail "$label: the $part differs (< Linux, > Windows):"
      diff <(od -An -c "$work/$label.linux.$part") \
        <(od -An -c "$work/$label.windows.$part") | head -10 >&2
    fi
  done
  if ! diff -r "$work/linux" "$work/windows" >/dev/null; then
    fail "$label: the files differ afterwards:"
    diff -rq "$work/linux" "$work/windows" >&2
  fi
}

# expect_file PATH FORMAT [ARG...]: PATH holds what printf writes.
expect_file() {
  local path=$1
  shift
  # shellcheck disable=SC2059
  if ! cmp -s "$path" <(printf "$@"); then
    fail "$path does not hold the expected bytes:"
    od -An -tx1 "$path" | head -5 >&2
  fi
}

# no_temporary_file FOLDER: nothing that starts with "." is left in FOLDER.
no_temporary_file() {
  local left
  left=$(ls -A "$1" | grep '^\.' || true)
  [ -z "$left" ] || fail "temporary file left in $1: $left"
}

# The C runtime would write 0A as 0D 0A and stop reading at 1A: every byte
# passes through standard input and output, and through -o files, as it is.
case_StandardStreamsPassEveryByte() {
  put bytes.tbl '0A=n\n0D=r\n1A=z\n00=0\n41=A\nFF=f\n'
  put in.bin 'A\x1aA\r\nA\n\x00A\xff'
  put text.txt 'zrnA0f'
  stdin=$work/linux/in.bin
  both dump -t bytes.tbl dump
  expect_file "$work/dump.windows.out" 'AzArnAn0Af'
  stdin=$work/linux/text.txt
  both insert -t bytes.tbl insert
  expect_file "$work/insert.windows.out" '\x1a\r\nA\x00\xff'
  stdin=/dev/null
  both insert-to-file -t bytes.tbl insert -o out.bin text.txt
  expect_file "$work/windows/out.bin" '\x1a\r\nA\x00\xff'
  stdin=$work/linux/in.bin
  both hex-out -t bytes.tbl --table-syntax=plain insert --hex-in --hex-out
}

# The code page in force for programs of the Wine prefix.
ansi_code_page() {
  "$wine" reg query 'HKLM\System\CurrentControlSet\Control\Nls\CodePage' \
    /v ACP 2>/dev/null | tr -d '\r' | awk '$1 == "ACP" { print $3 }'
}

# Names and texts pass whole, whatever the ANSI code page: 1252, which has
# no kana, and 932 (a Japanese locale made for the test), which has no é;
# each name holds a character that neither has.
case_ArgumentsAndFileNamesAreUtf8() {
  local folder='勇者 と é' locale code_page
  mkdir "$work/locales"
  if ! localedef -i ja_JP -f UTF-8 "$work/locales/ja_JP.UTF-8" 2>/dev/null; then
    fail "no Japanese locale could be made (package locales)"
    return
  fi
  mkdir "$work/linux/$folder" "$work/windows/$folder"
  copy "$examples/sample.tbl" "$folder/表 ☆✓.tbl"
  copy "$examples/sample.rom" "$folder/ロム ✓.rom"
  copy "$examples/search.rom" "$folder/探す ✓.rom"
  for locale in C.UTF-8:1252 ja_JP.UTF-8:932; do
    export LOCPATH=$work/locales LC_ALL=${locale%:*}
    code_page=$(ansi_code_page)
    [ "$code_page" = "${locale#*:}" ] ||
      fail "$LC_ALL: Wine runs with code page '$code_page', not ${locale#*:}"
    rm -f "$work/linux/$folder/出力 ✓.txt" "$work/windows/$folder/出力 ✓.txt"
    both "names-$code_page" -t "$folder/表 ☆✓.tbl" dump \
      -o "$folder/出力 ✓.txt" "$folder/ロム ✓.rom"
    [ -s "$work/windows/$folder/出力 ✓.txt" ] ||
      fail "$code_page: no output file with a UTF-8 name"
    both "missing-$code_page" -t "$folder/無い ✓.tbl" dump "$folder/ロム ✓.rom"
    grep -q "'$folder/無い ✓.tbl'" "$work/missing-$code_page.windows.err" ||
      fail "$code_page: the message does not name the table as given"
    both "search-$code_page" -t "$folder/表 ☆✓.tbl" search --context 4 \
      '勇者よ' "$folder/ロム ✓.rom"
    both "relative-$code_page" search --relative たすけて --alphabet \
      あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわをん \
      "$folder/探す ✓.rom"
  done
  unset LOCPATH LC_ALL
}

# What a console shows of `wine ARG...` run on one: the terminal's bytes
# without the cursor movements of Wine's console, which moves right over
# blanks instead of writing them.
on_console() {
  local command
  command=$(printf '%q ' "$wine" "$exe" "$@")
  (cd "$work/windows" && script -qefc "$command" /dev/null) </dev/null |
    perl -pe 's/\e\[(\d*)C/" " x ($1 || 1)/ge; s/\e\[[0-9;?]*[A-Za-z]//g;
      s/\e\][^\a]*\a//g; s/\r//g'
}

# A console reads bytes in its own code page; UTF-8 text, written to it as
# text, shows as written, on standard output and on standard error.
case_ConsoleShowsUtf8Text() {
  copy "$examples/sample.tbl" sample.tbl
  copy "$examples/sample.rom" sample.rom
  local shown
  shown=$(on_console -t sample.tbl dump --offset 42 --length 22 sample.rom)
  [[ $shown == *'「勇者よ、王女をたすけて。」<br>[END]'* ]] ||
    fail "the console shows the dump as: $shown"
  shown=$(on_console -t '無い ☆.tbl' dump sample.rom)
  local message="Error! Unable to open table file '無い ☆.tbl': No such file or directory"
  [[ $shown == *"$message"* ]] || fail "the console shows the error as: $shown"
}

# An -o file is replaced whole by the rename that overwrites, or left as it
# was, and no temporary file stays.
case_OutputIsWholeOrNothing() {
  copy "$examples/sample.tbl" sample.tbl
  copy "$examples/sample.rom" sample.rom
  both new -t sample.tbl dump -o out.txt sample.rom
  put out.txt 'precious'
  both replaced -t sample.tbl dump -o out.txt sample.rom
  [ "$(cat "$work/windows/out.txt")" != precious ] || fail "out.txt not replaced"
  put out.txt 'precious'
  both failed -t sample.tbl dump -o out.txt missing.rom
  expect_file "$work/windows/out.txt" 'precious'
  both past-the-end -t sample.tbl dump --offset 100 -o out.txt sample.rom
  expect_file "$work/windows/out.txt" 'precious'
  mkdir "$work/linux/folder" "$work/windows/folder"
  both folder -t sample.tbl dump -o folder sample.rom
  both in-place -t sample.tbl insert -o out.txt out.txt
  both onto-input patch -o sample.rom sample.rom sample.rom
  no_temporary_file "$work/windows"

  # A read-only file is refused (as root, Linux would replace it).
  chmod a-w "$work/windows/out.txt"
  local r
  r=$(windows -t sample.tbl dump -o out.txt sample.rom 2>&1)
  [ "$r" = "Error! Unable to open output file 'out.txt': Permission denied" ] ||
    fail "read-only output: $r"
  chmod u+w "$work/windows/out.txt"
  # A device is written to, not replaced.
  r=$(windows -t sample.tbl dump -o NUL sample.rom 2>&1) ||
    fail "-o NUL failed: $r"
  [ ! -e "$work/windows/NUL" ] || fail "-o NUL made a file"
  # The table by another spelling: names ignore case on Windows.
  for other in SAMPLE.TBL ./folder/../Sample.tbl; do
    r=$(windows -t sample.tbl insert -o "$other" out.txt 2>&1)
    [ "$r" = "Error! Output file '$other' is the table file 'sample.tbl': the output would replace it" ] ||
      fail "-o $other: $r"
  done
  cmp -s "$examples/sample.tbl" "$work/windows/sample.tbl" ||
    fail "the table was replaced"
  no_temporary_file "$work/windows"
}

# True once a file whose name starts with "$2" is in the folder "$1", false
# after 30 seconds.
appears() {
  local i
  for ((i = 0; i < 300; i++)); do
    ls -A "$1" | grep -q "^$2" && return 0
    sleep 0.1
  done
  return 1
}

# Ctrl+C (Wine turns SIGINT into it) while the input is read removes the
# temporary file and ends the program as Ctrl+C ends it, leaving an
# existing output as it was.
case_CtrlCRemovesTheTemporaryFile() {
  put t.tbl '41=A\n42=B\n'
  mkfifo "$work/in.fifo"
  local existing pid status i
  for existing in no yes; do
    rm -f "$work/windows/out.rom"
    [ $existing = yes ] && printf precious >"$work/windows/out.rom"
    # Held open for writing, the FIFO never ends: the input is still being
    # read when Ctrl+C comes.
    exec 3<>"$work/in.fifo"
    printf AB >&3
    (cd "$work/windows" &&
      exec "$wine" "$exe" -t t.tbl insert -o out.rom - <"$work/in.fifo" \
        >/dev/null 2>"$work/interrupted.err") &
    pid=$!
    if ! appears "$work/windows" '\.out\.rom\.'; then
      fail "existing output $existing: no temporary file while the input is read"
    fi
    kill -INT "$pid"
    wait "$pid"
    status=$?
    exec 3>&-
    # 0xC000013A, the status of Ctrl+C, of which Wine keeps the low byte.
    [ "$status" = 58 ] || fail "existing output $existing: exit status $status"
    # The file goes once Wine has closed the process's handles.
    for ((i = 0; i < 100; i++)); do
      ls -A "$work/windows" | grep -q '^\.out\.rom\.' || break
      sleep 0.1
    done
    no_temporary_file "$work/windows"
    if [ $existing = yes ]; then
      expect_file "$work/windows/out.rom" precious
    else
      [ ! -e "$work/windows/out.rom" ] || fail "an output file appeared"
    fi
  done
}

# A name the Windows build has no code page for is an error that lists the
# names it has, those the manual gives for Windows; each of them loads a
# table; a set that is not based on ASCII is refused as on Linux; and a
# JIS X 0212 character of EUC-JP, which Windows cannot convert, is an error
# that says so.
case_TableEncodingsWindowsLacksAreClearErrors() {
  put ascii.tbl '41=A\n42=B\n'
  local r names manual name
  r=$(windows -t ascii.tbl --table-encoding KOI8-R check 2>&1)
  names=$(sed -n "s/^Error! Unknown table encoding 'KOI8-R' (on Windows: \(.*\))$/\1/p" <<<"$r")
  [ -n "$names" ] || fail "KOI8-R: $r"
  # The manual's sentence, from "is one of" to " (or".
  manual=$("$linux" --help | tr -s ' \n' ' ' |
    sed -n 's/.*On Windows, NAME is one of \(.*\) (or a common alias.*/\1/p')
  [ "$names" = "${manual/ and /, }" ] ||
    fail "the message lists '$names', the manual '$manual'"
  IFS=', ' read -r -a names <<<"$names"
  [ "${#names[@]}" -ge 10 ] || fail "only ${#names[@]} names listed"
  local status
  for name in "${names[@]}"; do
    r=$(windows -t ascii.tbl --table-encoding "$name" check 2>&1)
    status=$?
    [ $status = 0 ] ||
      fail "$name, listed, does not load a table (status $status): $r"
  done
  both utf-16 -t ascii.tbl --table-encoding UTF-16 check
  both sjis -t ascii.tbl --table-encoding sjis check
  put jis-x-0212.tbl '41=A\x8f\xb0\xa1\n'
  r=$(windows -t jis-x-0212.tbl --table-encoding EUC-JP dump 2>&1)
  [ "$r" = "Error! Line 1 of table file 'jis-x-0212.tbl' does not convert from EUC-JP: JIS X 0212 character at text byte 2, which only the Linux build converts: 8F B0 A1" ] ||
    fail "JIS X 0212: $r"
}

# One program that runs alone: it imports nothing but Windows' own DLLs,
# and copied into an empty folder, it starts.
case_ProgramNeedsNoDll() {
  local dlls dll
  dlls=$("$objdump" -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z')
  [ -n "$dlls" ] || fail "objdump found no imports in $exe"
  for dll in $dlls; do
    case $dll in
      kernel32.dll | msvcrt.dll | shell32.dll | user32.dll | advapi32.dll) ;;
      *) fail "the program needs $dll" ;;
    esac
  done
  cp -- "$exe" "$work/windows/alone.exe"
  local version
  version=$(cd "$work/windows" && "$wine" alone.exe --version)
  [ "$version" = "$("$linux" --version)" ] || fail "alone: $version"
}

if ! declare -F "case_$case_name" >/dev/null; then
  echo "no case $case_name" >&2
  exit 2
fi
"case_$case_name"
[ "$failures" -eq 0 ] || exit 1
echo "$case_name: passed"
