// What insert looks up about an extended table while it reads a script,
// made once per insert: every text a script may hold for an entry (with the
// sections that have it), the characters some text holds, and the ways
// between sections through switch codes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/CodeDictionary.h"
#include "core/ExtendedTable.h"
#include "core/HeldCharacters.h"

namespace dalvren {

class CInsertIndex {
 public:
  // A way to read a text of the script as an entry's code.
  struct Reading {
    std::uint32_t section = 0;
    // The entry dump reads for the code insert writes (its code's current
    // entry).
    std::uint32_t entry = 0;
    // 0 when dump writes exactly this text for that code; 1 for a text
    // insert takes though dump writes it otherwise: a line break after an
    // end code written as CR LF or left out, tokens in lower case, or a text
    // whose code a later entry took.
    std::uint32_t penalty = 0;
  };

  // Indexes `table`, which must outlive the index; with `tokens`, <$XX>
  // tokens are part of the script's language.
  CInsertIndex(const CExtendedTable& table, bool tokens);

  CInsertIndex(const CInsertIndex&) = delete;
  CInsertIndex& operator=(const CInsertIndex&) = delete;

  // Every text a script may hold for one entry, each to its readings (the
  // number of a list, four bytes little-endian).
  [[nodiscard]] const CCodeDictionary& Texts() const { return *texts_; }
  // The readings of a list, ordered by section.
  [[nodiscard]] std::span<const Reading> Readings(std::string_view id) const;

  // Whether some text of the table (or, with tokens, a token) holds the
  // character `c`: one no text holds can only be dropped.
  [[nodiscard]] bool Holds(std::string_view c);

  // Switch codes of a section that are in effect, in file order: all of
  // them, those with N above 0, and those with N = 0.
  [[nodiscard]] std::span<const std::uint32_t> Switches(
      std::uint32_t section) const;
  [[nodiscard]] std::span<const std::uint32_t> CountedSwitches(
      std::uint32_t section) const {
    return counted_[section];
  }
  [[nodiscard]] std::span<const std::uint32_t> OpenSwitches(
      std::uint32_t section) const {
    return open_[section];
  }
  // The codes of a section whose text is empty: dump writes nothing for
  // them, but each counts as a code of a counted frame.
  [[nodiscard]] std::span<const std::uint32_t> SilentCodes(
      std::uint32_t section) const {
    return silent_[section];
  }
  // The switch codes of a section with N above 0 into a section that has a
  // switch code with N = 0, or a code with an empty text: a frame that can
  // run out without reading text.
  [[nodiscard]] std::span<const std::uint32_t> ClosableSwitches(
      std::uint32_t section) const {
    return closable_[section];
  }

  // Whether `section` has no code of just the byte `byte`.
  [[nodiscard]] bool Skips(std::uint32_t section, unsigned char byte) const {
    return table_.sections[section].codes->Find({&byte, 1}) == nullptr;
  }

  // The sections with a switch code (N above 0) into a section that has no
  // code of just the byte `byte`: where a token's byte may be written as one
  // dump skips, although the sections around do cover it.
  [[nodiscard]] std::span<const std::uint32_t> SkippingSections(
      unsigned char byte);

  // Whether switch codes lead from `from` to `to` (or it is `to`).
  [[nodiscard]] bool Reaches(std::uint32_t from, std::uint32_t to) {
    return DistancesTo(to)[from] != kUnreachable;
  }

  // The switch codes of `from` that begin a shortest way of switch codes to
  // `to` (none when `to` cannot be reached, or is `from`).
  [[nodiscard]] std::span<const std::uint32_t> FirstSwitches(std::uint32_t from,
                                                             std::uint32_t to);

 private:
  static constexpr std::uint16_t kUnreachable = UINT16_MAX;
  void AddText(const std::string& text, Reading reading);
  // The number of switch codes from each section to `to`.
  const std::vector<std::uint16_t>& DistancesTo(std::uint32_t to);

  const CExtendedTable& table_;
  std::unique_ptr<CCodeDictionary> texts_;
  std::vector<std::vector<Reading>> readings_;
  std::unordered_map<std::string, std::uint32_t> listOf_;
  CHeldCharacters held_;
  std::vector<std::vector<std::uint32_t>> counted_;
  std::vector<std::vector<std::uint32_t>> open_;
  std::vector<std::vector<std::uint32_t>> silent_;
  std::vector<std::vector<std::uint32_t>> closable_;
  std::unordered_map<std::uint32_t, std::vector<std::uint16_t>> distances_;
  std::unordered_map<std::uint64_t, std::vector<std::uint32_t>> firstSwitches_;
  std::array<std::vector<std::uint32_t>, 256> skipping_;
  std::array<bool, 256> skippingKnown_{};
};

}  // namespace dalvren
