// What insert could not write as the script says, told the way the programs
// show it: each character it dropped (with why), each place it read
// greedily because no reading dumps back to the script, at most
// kShownFindings of them one by one, and a total.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/HeldCharacters.h"

namespace dalvren {

// How many findings a report shows one by one before it only counts them.
inline constexpr std::size_t kShownFindings = 20;

class CInsertReport {
 public:
  struct Options {
    // Whether insert read <$XX> tokens as bytes.
    bool tokens = false;
    // How the user has tokens read, named in the finding for a token
    // dropped while they are not ("--unknown=hex"); empty to name nothing.
    std::string tokensHint;
  };

  // A report on inserting `script`, which must outlive it; `held` tells
  // which characters the table's texts hold.
  CInsertReport(std::span<const unsigned char> script, CHeldCharacters& held,
                Options options);

  CInsertReport(const CInsertReport&) = delete;
  CInsertReport& operator=(const CInsertReport&) = delete;

  // Insert dropped the script byte at `offset` (offsets in increasing
  // order); the bytes of one character are one finding.
  void Dropped(std::size_t offset);
  // Insert read greedily from `offset` on, because no reading dumps back
  // to the script (`bounded` false) or because the search's bounds dropped
  // readings that might (true).
  void Inexact(std::size_t offset, bool bounded);

  [[nodiscard]] std::uint64_t DroppedCharacters() const { return dropped_; }
  [[nodiscard]] std::uint64_t InexactPlaces() const { return inexact_; }
  [[nodiscard]] bool Clean() const { return dropped_ == 0 && inexact_ == 0; }

  // The lines to show: each finding led by `place(offset)` and ": ", then,
  // when there were more, how many, and last the total, led by `name`.
  // Nothing when the report is clean.
  [[nodiscard]] std::vector<std::string> Lines(
      const std::function<std::string(std::size_t offset)>& place,
      std::string_view name) const;

 private:
  struct Finding {
    enum class Kind { kDropped, kToken, kInexact, kGaveUp };
    Kind kind = Kind::kDropped;
    std::size_t from = 0;
    std::size_t to = 0;
    // kToken: the characters of the spelling that were dropped; the others
    // were read as text.
    std::string dropped;
  };

  void Add(const Finding& finding);
  [[nodiscard]] std::string Describe(const Finding& finding);

  std::span<const unsigned char> script_;
  CHeldCharacters& held_;
  Options options_;
  std::vector<Finding> findings_;
  std::vector<std::string> described_;
  std::uint64_t findingCount_ = 0;
  std::uint64_t dropped_ = 0;
  std::uint64_t inexact_ = 0;
  // The end of the latest dropped character, and of a token's spelling
  // whose bytes are told of as one finding.
  std::size_t droppedTo_ = 0;
  std::size_t tokenTo_ = 0;
  // Whether the latest finding was a place read greedily, and where.
  bool lastInexact_ = false;
  std::size_t lastFrom_ = 0;
};

// What a report says of a dropped character `c` (one character as
// core/Utf8.h splits text): dropped "剣" (U+5263): and why, by `held`
// (whether some text of the table holds it).
[[nodiscard]] std::string DroppedCharacter(std::string_view c, bool held);

// The last line of a report: NAME: 3 characters dropped, 1 place that does
// not read back as written.
[[nodiscard]] std::string DroppedTotal(std::string_view name,
                                       std::uint64_t dropped,
                                       std::uint64_t inexact);

// The text `bytes` as a message quotes it: characters as themselves,
// control characters escaped (\n, \r, \t, \xNN), bytes that are not UTF-8
// as \xNN.
[[nodiscard]] std::string QuotedBytes(std::string_view bytes);

}  // namespace dalvren
