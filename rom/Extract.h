// extract: the strings of a ROM where a layout says they are, written as a
// script file that build reads back.
#pragma once

#include <cstddef>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "core/Error.h"
#include "rom/Layout.h"
#include "rom/RomCodec.h"

namespace dalvren {

struct CExtractResult {
  // What the user should hear of, by the line of the layout's directive: a
  // pointer skipped (with its place, its value and why), a #TEXT block whose
  // last bytes end with no end code.
  struct Note {
    std::size_t line = 0;
    std::string message;
  };
  std::vector<Note> notes;
  // The #STRING sections written.
  std::size_t strings = 0;
};

// Writes to `out` the script of `rom` for `layout` (read from a layout file,
// without strings): the layout's lines as written, with a #ROM line for
// `rom` after the first (in place of any #ROM line there was), then one
// section per string (rom/ScriptWriter.h).
//
// The strings: each #TEXT block is cut into strings one after another from
// its start, each up to the end code that ends it (the table's own and
// END=, read as rom/RomCodec.h says); bytes at the end of the block that no
// end code ends form a last string (and a note). Each pointer of a #POINTERS
// block leads to a string that runs from where it leads up to its end code;
// a pointer that maps outside the ROM or its WINDOW=, or to bytes with no
// end code before the end of the ROM, is noted and skipped. Pointers to the
// same offset share one string (FROM= lists them all, in the order of the
// layout); a string found by a #TEXT block and by pointers with the same
// offset and length is one string. Strings are written in the order of the
// layout's blocks: a #TEXT block's by offset, a #POINTERS block's by its
// first pointer, each string once, where it was first found.
//
// Fails (Invalid), writing nothing, when the layout does not fit the ROM or
// the table (CLayout::CheckAgainst) or a string lies in a #FREE area.
[[nodiscard]] CError Extract(const CLayout& layout,
                             std::span<const unsigned char> rom,
                             const CRomCodec& codec, std::ostream& out,
                             CExtractResult* result);

}  // namespace dalvren
