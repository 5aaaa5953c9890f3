# Turns a manual written as plain text (the one --help prints) into a roff
# manual page, so that the page and the help text come from one file.
#
#   awk -v page=NAME -v section=1 -v date=YYYY-MM-DD -v source="Dalvren 1.0" \
#       -f TextToMan.awk MANUAL.txt > NAME.1
#
# The plain-text form:
# - A line that starts in the first column is a section heading (NAME,
#   SYNOPSIS, EXIT STATUS ...). Every other line is indented; the first body
#   line of a section sets its base indent.
# - Blank lines separate blocks.
# - NAME holds "program - what it does".
# - In SYNOPSIS a block that starts with the program's name is shown line for
#   line as written; options come out bold and upper-case placeholders in
#   italics.
# - Elsewhere a line at the base indent is either an item, when a run of two
#   or more blanks follows its first words ("-o OUT      Write to ...") or
#   when the next line is indented deeper, or running text. Deeper lines go on
#   with the item or text above them.
# - A block whose first line is indented deeper than the base is an example,
#   shown line for line as written.
# The input must be UTF-8 text; roff's own characters are escaped, so the
# text shows exactly as written.

function fail(message) {
  printf "%s:%d: %s\n", FILENAME, FNR, message > "/dev/stderr"
  failed = 1
  exit 1
}

function indent_of(line) {
  match(line, /^ */)
  return RLENGTH
}

function trim(text) {
  sub(/^[ \t]+/, "", text)
  sub(/[ \t]+$/, "", text)
  return text
}

# Roff reads a backslash as an escape and "-" as a hyphen that may break a
# line and that some terminals show as a dash: both are written so that they
# print as the characters themselves.
function escape(text, out, i, c) {
  out = ""
  for (i = 1; i <= length(text); i++) {
    c = substr(text, i, 1)
    if (c == "\\") out = out "\\e"
    else if (c == "-") out = out "\\-"
    else out = out c
  }
  return out
}

# A text line for roff: a leading "." or "'" would be read as a request.
function emit(line) {
  if (line ~ /^[.']/) line = "\\&" line
  print line
}

function request(line) {
  print line
}

# Options and literal words in bold, upper-case placeholders in italics,
# brackets, bars and other punctuation as they are.
function styled(text, out, word, rest) {
  out = ""
  rest = text
  while (rest != "") {
    if (match(rest, /^[-A-Za-z0-9_]+/)) {
      word = substr(rest, 1, RLENGTH)
      rest = substr(rest, RLENGTH + 1)
      if (word ~ /^[A-Z][A-Z0-9_]*$/) out = out "\\fI" escape(word) "\\fR"
      else out = out "\\fB" escape(word) "\\fR"
    } else {
      out = out escape(substr(rest, 1, 1))
      rest = substr(rest, 2)
    }
  }
  return out
}

function start_section(heading) {
  if (heading !~ /^[A-Z][A-Z0-9 ]*$/)
    fail("a heading is upper-case words, not \"" heading "\"")
  section_name = heading
  sections = sections " " heading " "
  base = -1
  request(".SH \"" heading "\"")
  fresh = 1
}

# Everything of a block is known before it is written: whether it is an
# example, a synopsis, items or text.
function flush_block(i, line, depth, text, kind, first, gap, tag, body) {
  if (count == 0) return
  if (base < 0) base = indent_of(lines[1])
  first = indent_of(lines[1])

  if (section_name == "NAME") {
    text = ""
    for (i = 1; i <= count; i++) text = text " " trim(lines[i])
    text = trim(text)
    if (!match(text, / - /)) fail("NAME reads \"program - what it does\"")
    program = substr(text, 1, RSTART - 1)
    emit(escape(program) " \\- " escape(substr(text, RSTART + 3)))
  } else if (first > base ||
             (section_name == "SYNOPSIS" && program != "" &&
              index(trim(lines[1]), program) == 1)) {
    # Shown line for line: an example, indented, or a synopsis line.
    if (!fresh) request(".PP")
    if (first > base) request(".RS 4")
    request(".nf")
    for (i = 1; i <= count; i++) {
      line = substr(lines[i], (first > base ? first : base) + 1)
      if (first > base) emit(escape(line))
      else emit(styled(line))
    }
    request(".fi")
    if (first > base) request(".RE")
  } else {
    kind = ""
    for (i = 1; i <= count; i++) {
      line = lines[i]
      depth = indent_of(line)
      text = trim(line)
      if (depth < base) fail("a line indented less than its section")
      if (depth > base) {
        emit(escape(text))
        continue
      }
      gap = match(text, /[^ ]  +[^ ]/)
      if (gap || (i < count && indent_of(lines[i + 1]) > base)) {
        if (gap) {
          tag = substr(text, 1, RSTART)
          body = trim(substr(text, RSTART + 1))
        } else {
          tag = text
          body = ""
        }
        request(".TP")
        emit(styled(tag))
        if (body != "") emit(escape(body))
        kind = "item"
      } else {
        if (kind != "text" && !(kind == "" && fresh)) request(".PP")
        emit(escape(text))
        kind = "text"
      }
    }
  }
  fresh = 0
  count = 0
}

BEGIN {
  if (page == "" || section == "") {
    print "TextToMan.awk: give -v page=NAME -v section=N" > "/dev/stderr"
    failed = 1
    exit 1
  }
  count = 0
  base = -1
  print ".\\\" -*- coding: UTF-8 -*-"
  print ".\\\" Generated from the program's plain-text manual; edit that instead."
  printf ".TH \"%s\" \"%s\" \"%s\" \"%s\" \"User Commands\"\n",
         escape(toupper(page)), section, date, escape(source)
  # Options are looked up and copied whole: no word breaks inside them.
  print ".nh"
  print ".ad l"
}

{
  sub(/\r$/, "")
  if ($0 ~ /\t/) fail("tabs do not keep their width; indent with blanks")
}

/^[^ ]/ {
  flush_block()
  start_section(trim($0))
  next
}

/^ *$/ {
  flush_block()
  next
}

{
  if (section_name == "") fail("text before the first heading")
  lines[++count] = $0
}

END {
  if (failed) exit 1
  flush_block()
  if (sections !~ / NAME / || sections !~ / SYNOPSIS /)
    fail("a manual page needs a NAME and a SYNOPSIS section")
}
