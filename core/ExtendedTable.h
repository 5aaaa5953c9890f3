// A table in the extended syntax: sections of codes, among them codes with a
// special meaning (a line break, the end of a string, a control code with
// parameter bytes, a switch to another section), as translators' tables mark
// them. The converter reads it with --table-syntax=extended; the window keeps
// the plain syntax (core/CodeTable.h).
//
// Lines of the file, read by CTableLineReader like the plain syntax:
//   HEX=TEXT      an entry as in the plain syntax (the same code rules); the
//                 two characters \n in TEXT stand for a line break (0A)
//   *HEX          a line-break code: its text is one line break
//   /HEX=TEXT     an end code: the string ends after it; TEXT as above, and
//   /HEX          when absent (or empty) the script holds its <$XX> tokens
//   $HEX=LABEL,N  a control code followed by N parameter bytes (0 to 255)
//   @NAME         starts the section NAME
//   !HEX=NAME,N   a switch code: the next N codes come from section NAME
//                 (N = 0: until a byte it does not cover), then translation
//                 returns to the section it came from
//   #...          a comment
// HEX after *, /, $ and ! is pairs of hexadecimal digits and nothing else,
// except for blanks and tabs after "*HEX" and after "/HEX" without "=".
// NAME is trimmed of blanks and tabs at both ends, as is N, which is
// decimal. LABEL is everything between the first "=" and the last ",", as
// written. A UTF-8 byte-order mark at the start of the file is skipped.
// Every other line is ignored and reported with a LineFault.
//
// Entries before the first "@" form an unnamed start table, unless they are
// all switch codes (which then belong to no table and are ignored); without
// such entries the first section is the start table. A second "@NAME" for a
// name already used is reported as ignored, and the lines after it go to the
// first section of that name. Within a section a later entry replaces an
// earlier one with the same code (forward) or the same text (reverse), as in
// the plain syntax; sections never replace each other's entries.
//
// Invariants, checked when a table is made (assert, in debug and sanitizer
// builds); a table never changes afterwards, its parts are const:
//   - `sections` is never empty and `start` indexes one of them.
//   - Every value of a section's `codes` and `words` is an entry id
//     (core/EntryId.h) that indexes `entries`, and that entry belongs to the
//     section.
//   - A switch entry's `target` indexes `sections`; a section's `switches`
//     are current switch entries of that section.
//   - `insertCodes` is present wherever `dumpText` is.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <istream>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/CodeDictionary.h"
#include "core/EntryId.h"
#include "core/LoadObserver.h"

namespace dalvren {

class CExtendedTable {
 public:
  struct Entry {
    EntryKind kind = EntryKind::kText;
    // The physical line it came from.
    std::size_t line = 0;
    // The section it belongs to.
    std::uint32_t section = 0;
    // The code's bytes.
    std::string code;
    // What the script holds for it, without the line break dump adds after
    // an end code: the text (line breaks read), a line break, the end text
    // or the code's tokens, the label; empty for a switch code.
    std::string word;
    // kControl: the number of parameter bytes; kSwitch: N, the number of
    // codes read from the target (0: until a byte it does not cover).
    std::uint32_t count = 0;
    // kSwitch: the section switched to.
    std::uint32_t target = 0;
    // True when dump reads this entry for its code: no later entry of the
    // section took the code. (Insert may still write the code for the
    // word, as in the plain syntax.)
    bool current = false;
  };

  struct Section {
    // Empty for the unnamed start table.
    std::string name;
    // The line of its "@"; 0 for the unnamed start table.
    std::size_t line = 0;
    // Each code to its entry id.
    std::unique_ptr<const CCodeDictionary> codes;
    // Each word insert reads to its entry id: the entries' words, and for
    // end codes the word followed by the line break dump adds (LF, or CR LF
    // from an editor), and a token spelling also in lower case.
    std::unique_ptr<const CCodeDictionary> words;
    // The texts of text and line-break entries to their codes: the cut that
    // --optimal shortens.
    std::unique_ptr<const CCodeDictionary> texts;
    // The switch codes of the section that are still in `codes`, by entry
    // id, in file order.
    std::vector<std::uint32_t> switches;
  };

  // The table of these parts, which LoadExtended puts together; they must
  // hold the invariants above. `dumpText` and `insertCodes` only for a
  // simple table (see Simple).
  CExtendedTable(std::vector<Entry> entries, std::vector<Section> sections,
                 std::uint32_t start,
                 std::unique_ptr<const CCodeDictionary> dumpText,
                 std::unique_ptr<const CCodeDictionary> insertCodes);

  // Owns its sections' dictionaries.
  CExtendedTable(const CExtendedTable&) = delete;
  CExtendedTable& operator=(const CExtendedTable&) = delete;

  // The entry `id` names; it must index `entries` (checked in debug builds).
  [[nodiscard]] const Entry& EntryOf(CEntryId id) const;

  // The entry a value of a section's `codes` or `words` names.
  [[nodiscard]] const Entry& EntryOf(const CByteString& id) const {
    return EntryOf(CEntryId::Of(id));
  }

  // The entry number an id's bytes hold, as the dictionaries' compiled forms
  // give them back: CEntryId::Of(id).Index().
  [[nodiscard]] static std::uint32_t IdOf(std::string_view id) {
    return CEntryId::Of(id).Index();
  }

  // True when translation never leaves the start table and needs no state:
  // the start table has no switch code and no control code with parameter
  // bytes. Dump then is the plain translation through `dumpText`, and
  // insert that through `insertCodes` wherever its bytes dump back.
  [[nodiscard]] bool Simple() const { return dumpText != nullptr; }

  // True when some section has a switch code.
  [[nodiscard]] bool HasSwitches() const {
    return std::any_of(sections.begin(), sections.end(),
                       [](const Section& s) { return !s.switches.empty(); });
  }

  // Every entry loaded, in file order, replaced ones included.
  const std::vector<Entry> entries;
  const std::vector<Section> sections;
  const std::uint32_t start;

  // Only for a simple table: the start table's codes to what dump writes
  // for them. For every table whose start table has no control code with
  // parameter bytes: every word of the start table to its code.
  const std::unique_ptr<const CCodeDictionary> dumpText;
  const std::unique_ptr<const CCodeDictionary> insertCodes;

 private:
  // Whether the invariants at the top of this file hold; for assert.
  [[nodiscard]] bool InvariantsHold() const;
};

// What dump writes for `entry`, apart from a control code's parameters: its
// word, followed by a line break for an end code.
[[nodiscard]] std::string DumpTextOf(const CExtendedTable::Entry& entry);

// Reads a table in the extended syntax from `in` and returns it, owned by the
// caller. Never fails: a stream already in a failed state, an empty one or
// one without a usable line gives a table with one empty start table.
// Writes nothing, as the plain loader.
[[nodiscard]] std::unique_ptr<CExtendedTable> LoadExtended(std::istream& in);

// As above, and reports to `observer` every ignored and cut line, every
// section line, every entry with its kind, and every replacement, all in
// file order (switch targets are resolved once the whole file is read, so the
// reports come then). Texts and labels pass through `convertText` before
// "\n" is read in them; section names do not.
[[nodiscard]] std::unique_ptr<CExtendedTable> LoadExtended(
    std::istream& in, const CLoadObserver& observer);

// The name of the table that a section line ("@NAME") or a switch line
// ("!HEX=NAME,N") gives, read as the loader reads it; empty for any other
// line. For reports of such lines that the loader ignored.
[[nodiscard]] std::string TableNameOf(std::string_view line);

}  // namespace dalvren
