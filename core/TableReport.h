// The report on a table file that the converter's check command prints and
// the window shows: which lines of a table file did not load as written,
// which entries replaced earlier ones and what became of them, and which
// entries load but are likely not what their author meant. Written to a
// stream the caller gives; the core prints nothing itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <istream>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/CharsetGuess.h"
#include "core/CodeTable.h"

namespace dalvren {

class CTableReport {
 public:
  // Reports go to `report`, which stays the caller's. The character set of
  // texts that are not UTF-8 is guessed through the conversions of
  // `converterFor` (see CCharsetGuess); without any, the report makes no
  // guess.
  explicit CTableReport(std::ostream& report,
                        const CCharsetGuess::ConverterFor& converterFor = {});

  // Refers to a stream it does not own, and its observer refers to it.
  CTableReport(const CTableReport&) = delete;
  CTableReport& operator=(const CTableReport&) = delete;

  // Loads the table in `table` with the core's loader, each text passed
  // through `convertText` first when it is given, and reports on it: the
  // observer's report while it loads, then Finish. Returns the loaded table.
  std::unique_ptr<CCodeTable> Run(
      std::istream& table,
      const std::function<void(std::size_t line, std::string& text)>&
          convertText = {});

  // The events a loader feeds: any loader that reports its entries,
  // replacements, ignored and cut lines through this observer, and then
  // hands its table to Finish, is checked as Run checks the core's. The
  // observer refers to this check, which must outlive it.
  //
  // As the lines load, in file order, it writes one line per ignored line
  // (its number and why), per physical line that was cut (once, however
  // often) and per warning about an entry: a UTF-16 byte-order mark at the
  // start of the file, a text with blanks at its start or end (unless it is
  // all blanks), a code with an empty text, a text that is not valid UTF-8.
  // A UTF-8 byte-order mark, which the loader skips, is a note, not a
  // warning.
  // Line numbers are 1-based physical lines, as an editor shows them; empty
  // lines are not reported. Replacements are kept for Finish.
  [[nodiscard]] CLoadObserver Observer(
      const std::function<void(std::size_t line, std::string& text)>&
          convertText = {});

  // Writes what can be told only of the whole table, `table` being the one
  // the observed load built; call it once, after the load. First, ordered by
  // line, one line per finding about replacements and shared texts:
  // - a duplicate: an entry that gives a code the very text it already had;
  // - an alias: a code whose earlier text still inserts as that code, though
  //   dump now shows a later line's text (tables list several texts for one
  //   code on purpose this way);
  // - a replacement: a code-text pair that an entry gave and that the table
  //   neither dumps nor inserts any more, with what the code and the text
  //   now stand for; each pair is reported once, by the last line that
  //   replaced it;
  // - a warning for each text that several codes of the table give: insert
  //   writes only one of them. Such a text is not also a replacement.
  // Then a guess at the character set of the texts that are not UTF-8; the
  // number of warnings when there are any; and last a summary with the
  // counts.
  void Finish(const CCodeTable& table);

  // As Finish above, for a table of sections (the extended syntax, whose
  // observer reports sections): each finding is judged against
  // `tableOf(name)`, the table of the section its lines belong to (""
  // for the unnamed start table), which must give one for every section the
  // observer reported. Codes and texts of different sections neither
  // replace nor share with one another.
  void Finish(const std::function<const CCodeTable&(std::string_view section)>&
                  tableOf);

  // True when nothing was ignored, cut or lost by a replacement; warnings,
  // aliases and duplicates do not count.
  [[nodiscard]] bool Clean() const {
    return ignored == 0 && cut == 0 && replaced == 0;
  }

  // True when a warning, an alias or a duplicate was reported.
  [[nodiscard]] bool Warned() const {
    return warnings > 0 || aliases > 0 || duplicates > 0;
  }

  std::size_t entries = 0;
  std::size_t ignored = 0;
  std::size_t cut = 0;
  // Code-text pairs lost in both directions.
  std::size_t replaced = 0;
  std::size_t aliases = 0;
  std::size_t duplicates = 0;
  // The lines reported as "warning:"; aliases and duplicates are counted
  // apart.
  std::size_t warnings = 0;
  // The lines reported as "note:": what the loader took care of.
  std::size_t notes = 0;

 private:
  // The line that last gave a key, and the value it gave with it.
  struct LineAndValue {
    std::size_t line = 0;
    std::string value;
  };

  // An entry that replaced the pair `code`, `text` given on `earlierLine`,
  // in either dictionary. Whether that pair is lost is known only once the
  // whole table is loaded: a later line may give either back, or take away
  // what is left of it.
  struct Replacement {
    std::size_t line = 0;
    std::size_t earlierLine = 0;
    std::string code;
    std::string text;
    // The section the pair was given in.
    std::uint32_t section = 0;
  };

  // The table of each section, by its number.
  using TableOf = std::function<const CCodeTable&(std::uint32_t section)>;

  // A line of the report that is written once the table is loaded.
  struct Finding {
    std::size_t line = 0;
    std::string what;
  };

  void OnIgnored(std::size_t line, std::string_view content, LineFault fault);
  void OnByteOrderMark();
  void OnCut(std::size_t line);
  void OnEntry(std::size_t line, const CByteString& code,
               const CByteString& text);
  void OnReplaced(std::size_t line, TableDictionary dictionary);
  void Warn(std::size_t line, const std::string& what);
  void OnSection(std::string_view name);
  void Report(const TableOf& tableOf);
  // Decides every kept replacement against the loaded table.
  void JudgeReplacements(const TableOf& tableOf);
  // Every text that more than one code of the loaded table dumps as.
  void FindSharedTexts(const TableOf& tableOf);

  std::ostream& report_;
  // The sections reported so far, by number (0: the start table, unnamed
  // unless the file starts with a section), and the current one.
  std::vector<std::string> sections_ = {""};
  std::unordered_map<std::string, std::uint32_t> sectionNumbers_;
  std::uint32_t section_ = 0;
  // The kind of the entry about to be reported (the extended syntax tells it
  // first).
  EntryKind kind_ = EntryKind::kText;
  // By section: the line that last gave each code (with its text), and the
  // line that last gave each text (with its code).
  std::vector<std::unordered_map<std::string, LineAndValue>> forwardLines_ =
      std::vector<std::unordered_map<std::string, LineAndValue>>(1);
  std::vector<std::unordered_map<std::string, LineAndValue>> reverseLines_ =
      std::vector<std::unordered_map<std::string, LineAndValue>>(1);
  CCharsetGuess guess_;
  std::size_t notUtf8_ = 0;
  // The entry being inserted, and what gave its code and its text before it
  // (line 0: nothing).
  std::string code_;
  std::string text_;
  LineAndValue forwardBefore_;
  LineAndValue reverseBefore_;
  std::vector<Replacement> replacements_;
  std::vector<Finding> findings_;
  // The physical line last reported as cut.
  std::size_t lastCut_ = 0;
};

// `bytes` as a quoted text fit for a terminal: printable ASCII and bytes of
// 0x80 and above (UTF-8) as they are, the quote and the backslash escaped
// with a backslash, and every other byte as \xNN.
[[nodiscard]] std::string QuotedText(std::string_view bytes);

// The bytes of a code as a table line writes them: upper-case hexadecimal
// digits, no separators.
[[nodiscard]] std::string CodeHex(std::string_view code);

}  // namespace dalvren
