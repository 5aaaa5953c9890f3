// What a table-file load may report besides the table it builds (every line
// it ignores, cuts or loads, and every entry that replaces an earlier one),
// and one way to take part in it: rewriting texts as they are read. Every
// callback is optional; an empty one is simply not called. Both syntaxes
// report through it: the plain one (core/CodeTable.h) and the extended one
// (core/ExtendedTable.h), which also reports its sections and entry kinds.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "core/ByteString.h"

namespace dalvren {

// The line that tells of one replaced entry without naming it, for a caller
// that writes one per onReplaced.
inline constexpr std::string_view kReplacingNotice = "Replacing old value";

// Why a non-empty line was not loaded.
enum class LineFault {
  kNoEquals,          // no "=" in the line
  kOddCodeLength,     // the part before the first "=" has an odd length
  kCodeNotHex,        // the line does not start with a hexadecimal digit
  kZeroBeforeEquals,  // a zero byte before the first "=" hides it: the "="
                      // is looked for only up to the first zero byte
  // The extended syntax only.
  kBadSpecialCode,   // the code after "*", "/", "$" or "!" is not pairs of
                     // hexadecimal digits
  kLineBreakText,    // "*HEX" followed by more than the code and blanks
  kNoLabel,          // "$HEX" without "=LABEL,N", or with an empty label
  kNoCount,          // "$HEX=LABEL" or "!HEX=NAME" without ",N"
  kCountNotDecimal,  // N is not a decimal number
  kCountOutOfRange,  // N is above 255
  kNoTableName,      // "@" or "!HEX=,N" without a name
  kUnknownTable,     // a switch to a table that does not exist
  kSwitchInNoTable,  // a switch code before the first "@" with no start
                     // table there to hold it
  kSectionTwice,     // "@NAME" for a name that an earlier section has
};

// What an entry of the extended syntax is. The plain syntax has only kText.
enum class EntryKind {
  kText,       // HEX=TEXT
  kLineBreak,  // *HEX
  kEnd,        // /HEX=TEXT or /HEX
  kControl,    // $HEX=LABEL,N
  kSwitch,     // !HEX=NAME,N
};

// One of a table's two dictionaries: forward (codes to texts) or reverse
// (texts to codes); what a replacing entry replaced a value in.
enum class TableDictionary { kForward, kReverse };

// What an entry replaced, for a report that names it. The views are valid
// only during the call that hands it over.
struct CReplacement {
  // The 1-based physical line of the replacing entry.
  std::size_t line = 0;
  TableDictionary dictionary = TableDictionary::kForward;
  // The key whose value was replaced: a code (forward) or a text (reverse;
  // in the extended syntax the word insert reads, "\n" read as a line
  // break).
  std::string_view key;
  // The value the key held, and the line that gave it: a text (forward) or
  // a code (reverse). Equal to `now` when the line gives the same pair
  // again.
  std::string_view earlier;
  std::size_t earlierLine = 0;
  // The value the key holds from now on.
  std::string_view now;
};

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
  // The extended syntax: the entries after `line` belong to the section
  // `name`, and codes and texts replace one another only within one
  // section. Called for every "@NAME" line, also for a second one of a name
  // (after it is reported ignored), whose lines join the first. Entries
  // before the first section form an unnamed start table, which is not
  // reported.
  std::function<void(std::size_t line, std::string_view name)> onSection;
  // The extended syntax: the entry of `line` is of `kind`; called just
  // before its onEntry. onEntry's `text` is then what the script holds for
  // the entry: the text with each "\n" read as a line break, a line break
  // for kLineBreak, the end text or else the code's "<$XX>" tokens for
  // kEnd, the label for kControl, and nothing for kSwitch.
  std::function<void(std::size_t line, EntryKind kind)> onEntryKind;
  // The plain syntax: the file starts with a UTF-8 byte-order mark, which the
  // loader skipped. Editors save tables with one; no table line can begin
  // with those bytes on purpose.
  std::function<void()> onByteOrderMark;
  // The entry of `line` replaced a value already stored in `dictionary`.
  // Without this and onReplacement, a replacement goes untold: the loaders
  // write nothing themselves (a caller that wants the classic line writes
  // kReplacingNotice here).
  std::function<void(std::size_t line, TableDictionary dictionary)> onReplaced;
  // The same replacement, with the key, what it held and since which line.
  // Called before onReplaced when both are given. Keeping the lines costs
  // the plain loader a map of every key, made only when this is given.
  std::function<void(const CReplacement& replacement)> onReplacement;
};

// True when `observer` takes onReplacement, so that a loader must tell a
// replacement's earlier value and line.
[[nodiscard]] inline bool WantsReplacements(const CLoadObserver* observer) {
  return observer != nullptr && observer->onReplacement;
}

// Reports `replacement` to `observer`'s onReplacement and onReplaced, those
// it has (onReplacement first); `observer` may be null.
void ReportReplaced(const CLoadObserver* observer,
                    const CReplacement& replacement);

}  // namespace dalvren
