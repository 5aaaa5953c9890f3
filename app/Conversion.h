// The heart of the two conversion commands, apart from any window: from a
// field's text to the text of the other field, through the loaded table.
#pragma once

#include <cstddef>
#include <string>

#include "core/CodeTable.h"
#include "core/Status.h"

namespace dalvren {

inline constexpr char kNoTableMessage[] = "No table file loaded";
inline constexpr char kTooLargeMessage[] =
    "The text is too large to convert (2 GiB at most)";

// Which way a conversion command runs: the ROM field through the forward
// dictionary into the Dump field, or the Dump field through the reverse one
// into the ROM field.
enum class ConvertDirection { kRomToDump, kDumpToRom };

// How the two fields of a conversion hold their bytes.
struct CConvertOptions {
  // The source field holds hexadecimal digits.
  bool sourceHex = false;
  // The target field is to show hexadecimal digits.
  bool targetHex = false;
};

// Hexadecimal text is written in rows of this many bytes, one line each.
// A field lays out a line as a whole, and all of it at once, while it lays
// out a text of many lines only as far as it shows them: a megabyte of hex
// on one line would take seconds to show. The hex reader takes line breaks
// as blanks, so the rows read back as the same bytes.
inline constexpr std::size_t kHexRowBytes = 1024;

// Converts `source` (a field's whole text) through the forward dictionary
// of `table` (ROM to Dump) or its reverse one (Dump to ROM) and stores the
// target field's new text, as bytes, in `*text`. In hex mode the source is
// read with FromHex, else its bytes up to the first zero byte are the input.
// The target text is the translation's bytes as hexadecimal digits in hex
// mode, in rows of kHexRowBytes bytes separated by line feeds, else the
// bytes themselves up to the first zero byte among them. The translation is
// written straight into the target text (as digits as it comes, in hex
// mode). Refuses, leaving `*text` alone, with kNoTableMessage when `table`
// is null and with kTooLargeMessage when the input or the result would not
// fit a byte string.
CStatus ConvertText(const CCodeTable* table, ConvertDirection direction,
                    const std::string& source, const CConvertOptions& options,
                    std::string* text);

}  // namespace dalvren
