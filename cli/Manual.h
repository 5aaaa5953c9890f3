// The converter's manual, as --help prints it. Its text is kept in
// cli/Manual.txt and compiled in; the manual page is made from the same file.
#pragma once

#include <string_view>

namespace dalvren {

// The whole manual: NAME, SYNOPSIS, DESCRIPTION, OPTIONS, EXIT STATUS and
// EXAMPLE, ending with a line end.
[[nodiscard]] std::string_view ManualText();

}  // namespace dalvren
