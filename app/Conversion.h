// The heart of the two conversion commands, apart from any window: from a
// field's text to the text of the other field, through the loaded table.
#pragma once

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

// Converts `source` (a field's whole text) through the forward dictionary
// of `table` (ROM to Dump) or its reverse one (Dump to ROM) and stores the
// target field's new text, as bytes, in `*text`. In hex mode the source is
// read with FromHex, else its bytes up to the first zero byte are the input.
// The target text is the translation's bytes as hexadecimal digits in hex
// mode, else the bytes themselves up to the first zero byte among them.
// Refuses, leaving `*text` alone, with kNoTableMessage when `table` is null
// and with kTooLargeMessage when the input or the result would not fit a
// byte string.
CStatus ConvertText(const CCodeTable* table, ConvertDirection direction,
                    const std::string& source, const CConvertOptions& options,
                    std::string* text);

}  // namespace dalvren
