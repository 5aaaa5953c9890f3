// The report of the check command: which lines of a table file did not load
// as written, which entries replaced earlier ones, and which entries load but
// are likely not what their author meant.
#pragma once

#include <cstddef>
#include <functional>
#include <istream>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <unordered_map>

#include "cli/EncodingGuess.h"
#include "core/CodeTable.h"

namespace dalvren {

class CTableCheck {
 public:
  // Reports go to `report`, which stays the caller's.
  explicit CTableCheck(std::ostream& report);

  // Refers to a stream it does not own and keeps per-key line maps.
  CTableCheck(const CTableCheck&) = delete;
  CTableCheck& operator=(const CTableCheck&) = delete;

  // Loads the table in `table` with the core's loader, each text passed
  // through `convertText` first when it is given, and writes, in file order,
  // one line per ignored line (its number and why), per physical line that
  // was cut (once, however often), per replacement (its number, the earlier
  // line it replaces, the direction and the key) and per warning: a
  // byte-order mark at the start of the file, a text with blanks at its
  // start or end (unless it is all blanks), a code with an empty text, a
  // text that is not valid UTF-8. Then, ordered by line, a warning for each
  // text that several codes of the loaded table share; a guess at the
  // character set of the texts that are not UTF-8; the number of warnings
  // when there are any; and last a summary with the counts. Line numbers are
  // 1-based physical lines, as an editor shows them. Empty lines are not
  // reported. Replacements are reported here in place of the loader's
  // "Replacing old value" lines. Returns the loaded table.
  std::unique_ptr<CCodeTable> Run(
      std::istream& table,
      const std::function<void(std::size_t line, std::string& text)>&
          convertText = {});

  // True when nothing was ignored, cut or replaced; warnings do not count.
  [[nodiscard]] bool Clean() const {
    return ignored == 0 && cut == 0 && replaced == 0;
  }

  std::size_t entries = 0;
  std::size_t ignored = 0;
  std::size_t cut = 0;
  std::size_t replaced = 0;
  std::size_t warnings = 0;

 private:
  // The line that last gave a code, and the text it gave.
  struct CodeEntry {
    std::size_t line = 0;
    std::string text;
  };

  void OnIgnored(std::size_t line, std::string_view content, LineFault fault);
  void OnEntry(std::size_t line, const CByteString& code,
               const CByteString& text);
  void OnReplaced(std::size_t line, TableDictionary dictionary);
  void Warn(std::size_t line, const std::string& what);
  // Warns about every text that more than one code of the loaded table
  // gives: insert can write only one of them.
  void ReportSharedTexts(const CCodeTable& table);

  std::ostream& report_;
  // Per direction, what a replacement replaces: the line that last gave each
  // code (with its text), and the line that last gave each text.
  std::unordered_map<std::string, CodeEntry> forwardLines_;
  std::unordered_map<std::string, std::size_t> reverseLines_;
  CEncodingGuess guess_;
  std::size_t notUtf8_ = 0;
  // The entry being inserted and the lines it is about to replace (0: none).
  std::string code_;
  std::string text_;
  std::size_t replacesForward_ = 0;
  std::size_t replacesReverse_ = 0;
  // The physical line last reported as cut.
  std::size_t lastCut_ = 0;
};

// `bytes` as a quoted text fit for a terminal: printable ASCII and bytes of
// 0x80 and above (UTF-8) as they are, the quote and the backslash escaped
// with a backslash, and every other byte as \xNN.
[[nodiscard]] std::string QuotedText(std::string_view bytes);

}  // namespace dalvren
