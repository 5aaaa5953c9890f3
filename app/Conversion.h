// The heart of the two conversion commands, apart from any window: from a
// field's text to the text of the other field, through the loaded table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/CodeTable.h"
#include "core/Error.h"

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

// What a conversion did besides its text, for the status bar.
struct CConvertReport {
  // The bytes the conversion read and the bytes its translation wrote.
  std::uint64_t read = 0;
  std::uint64_t written = 0;
  // What no code covered: bytes when the source was hexadecimal digits,
  // characters (core/Utf8.h) when it was text.
  std::uint64_t skipped = 0;
  // Where the first of them was: its offset in the bytes read, and for a
  // text source its line and column in the field (from 1; the column in
  // characters).
  std::uint64_t firstOffset = 0;
  std::uint64_t firstLine = 0;
  std::uint64_t firstColumn = 0;
};

// The bytes a conversion reads from a field whose whole text is `source`:
// FromHex of it in hex mode, else its bytes up to the first zero byte.
[[nodiscard]] std::string FieldInputBytes(const std::string& source, bool hex);

// `bytes` as a field in hex mode shows them: rows of kHexRowBytes bytes as
// upper-case digits, separated by line feeds.
[[nodiscard]] std::string HexRows(std::span<const unsigned char> bytes);

// Converts `source` (a field's whole text) through the forward dictionary
// of `table` (ROM to Dump) or its reverse one (Dump to ROM) and stores the
// target field's new text, as bytes, in `*text`. In hex mode the source is
// read with FromHex, else its bytes up to the first zero byte are the input.
// The target text is the translation's bytes as hexadecimal digits in hex
// mode, in rows of kHexRowBytes bytes separated by line feeds, else the
// bytes themselves up to the first zero byte among them. The translation is
// written straight into the target text (as digits as it comes, in hex
// mode). Refuses, leaving `*text` alone: with kNoTableMessage (an invalid
// request) when `table` is null, and with kTooLargeMessage (no room) when
// the input or the result would not fit a byte string. When `report` is
// given, it tells what was read, written and skipped.
CError ConvertText(const CCodeTable* table, ConvertDirection direction,
                   const std::string& source, const CConvertOptions& options,
                   std::string* text, CConvertReport* report = nullptr);

}  // namespace dalvren
