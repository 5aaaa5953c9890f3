// Reads a script file, or a layout (a script file without strings), as the
// translator wrote or edited it. The format is described in rom/Script.h
// (strings) and rom/Layout.h (directives).
#pragma once

#include <string_view>

#include "core/Error.h"
#include "rom/Script.h"

namespace dalvren {

// Reads the whole file `file` into `*script`. Lines end at LF; a CR right
// before an LF is dropped, so a file saved with CR LF line ends reads the
// same, and a UTF-8 byte-order mark at the start is skipped. The first line
// is "#DALVREN 1". Before the first #STRING line come directives, comment
// lines ("//...") and empty lines (or lines of blanks); after it, only
// #STRING lines, comments and the strings' text lines. Fails (Invalid) with
// "line N: " and the reason at the first line that does not read, and leaves
// `*script` unspecified then.
[[nodiscard]] CError ReadScript(std::string_view file, CScript* script);

}  // namespace dalvren
