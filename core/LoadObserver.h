// What a table-file load may report besides the table it builds (every line
// it ignores, cuts or loads, and every entry that replaces an earlier one),
// and one way to take part in it: rewriting texts as they are read. Every
// callback is optional; an empty one is simply not called.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "core/ByteString.h"

namespace dalvren {

// Why a non-empty line was not loaded.
enum class LineFault {
  kNoEquals,       // no "=" before the end of the line (or a zero byte)
  kOddCodeLength,  // the part before the first "=" has an odd length
  kCodeNotHex,     // the line does not start with a hexadecimal digit
};

// One of a table's two dictionaries: forward (codes to texts) or reverse
// (texts to codes); what a replacing entry replaced a value in.
enum class TableDictionary { kForward, kReverse };

struct CLoadObserver {
  // `line` is the 1-based physical line number, as a text editor counts lines
  // (a CR LF pair ends one line). `content` is the line as handled, without
  // its line end; it is valid only during the call.
  std::function<void(std::size_t line, std::string_view content,
                     LineFault fault)>
      onIgnored;
  // The physical line `line` is longer than the longest line a table may hold;
  // it was cut and the rest is read as a further line with the same number.
  std::function<void(std::size_t line)> onCut;
  // May rewrite the text of the entry on `line` (for instance from a legacy
  // character set into UTF-8) before it is reported and stored.
  std::function<void(std::size_t line, std::string& text)> convertText;
  // An entry was read from `line` and is about to be inserted.
  std::function<void(std::size_t line, const CByteString& code,
                     const CByteString& text)>
      onEntry;
  // The entry of `line` replaced a value already stored in `dictionary`.
  // When this is given, the replacement is reported here only: the loader
  // does not write its "Replacing old value" line.
  std::function<void(std::size_t line, TableDictionary dictionary)> onReplaced;
};

}  // namespace dalvren
