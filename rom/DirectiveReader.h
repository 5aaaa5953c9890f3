// One directive line of a script file read into the layout or a string:
// the keywords, their options and their numbers. rom/ScriptReader.h splits
// the file into lines and decides which are directives.
#pragma once

#include <cstddef>
#include <string_view>

#include "core/Error.h"
#include "rom/Layout.h"
#include "rom/Script.h"

namespace dalvren {

// Reads the directive `text` (a line that begins with "#" and an upper-case
// letter), the `number`th line of its file, into `*layout`. Takes #DALVREN
// (on the first line only), #ROM, #TEXT, #POINTERS, #FREE and #PAD; refuses
// #STRING and any other word. Fails (Invalid) with "line N: " and the reason,
// quoting the words as written: an unknown directive or option, an option
// given twice or missing, a bad number, range, byte code or format, or a
// combination of #POINTERS options that does not go together.
[[nodiscard]] CError ReadDirective(std::string_view text, std::size_t number,
                                   CLayout* layout);

// Reads the #STRING line `text` (OFFSET LENGTH and an optional FROM=), the
// `number`th line of its file, as a new last string of `*script`. Fails as
// ReadDirective does.
[[nodiscard]] CError ReadStringDirective(std::string_view text,
                                         std::size_t number, CScript* script);

// True when `text` is a directive line: "#" and an upper-case letter A-Z.
[[nodiscard]] bool IsDirectiveLine(std::string_view text);

}  // namespace dalvren
