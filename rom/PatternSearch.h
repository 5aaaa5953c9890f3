// Finding many byte patterns in a ROM image in one pass: the patterns are
// the keys of an automaton (core/MatchAutomaton.h), which learns at each
// position every pattern that starts there, however many there are.
//
// Invariant: the automaton's keys are the distinct patterns, each with the
// index of its first occurrence in the list it was made from as its value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <istream>
#include <span>
#include <string>

#include "core/CodeDictionary.h"
#include "core/Error.h"
#include "core/MatchAutomaton.h"
#include "rom/RomScan.h"

namespace dalvren {

class CPatternSearch {
 public:
  struct Hit {
    CHitBytes bytes;
    // The index of the pattern in the list the search was made from.
    std::uint32_t pattern = 0;
  };

  // A search for `patterns`; empty patterns are never found, and a
  // pattern given twice is found under its first index.
  explicit CPatternSearch(std::span<const std::string> patterns);

  // Holds an automaton, rebuilt rather than copied.
  CPatternSearch(const CPatternSearch&) = delete;
  CPatternSearch& operator=(const CPatternSearch&) = delete;

  // Reads the image from `in` in one pass and calls `onHit` for every
  // position where a pattern starts, in offset order, and at one offset in
  // the order of the patterns' indices; the hit's context is
  // `options.context` bytes on each side, valid only during the call.
  // Memory: a window of options.block bytes plus the longest pattern and
  // twice the context, and 4 bytes per position of the window. Fails as
  // ScanRom does.
  [[nodiscard]] CError Search(
      std::istream& in, const CRomSearchOptions& options,
      const std::function<void(const Hit&)>& onHit) const;

  // The length of the longest pattern; 0 when there is none.
  [[nodiscard]] std::size_t Longest() const { return longest_; }

 private:
  CCodeDictionary keys_;
  std::size_t longest_ = 0;
};

}  // namespace dalvren
