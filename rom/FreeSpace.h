// Space that strings may be moved into: a list of disjoint byte ranges of
// the ROM, searched in the order they were added, each from its lowest
// offset (first fit). A string takes the first offset where it fits wholly
// into one range and one zone of the offsets its pointers can reach.
//
// Invariant: the ranges are disjoint; a range emptied by Take stays in the
// list, empty, and is passed over.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "rom/PointerFormat.h"

namespace dalvren {

class CFreeSpace {
 public:
  // The zone, at or after an offset, in which a string may lie for every
  // one of its pointers; nothing when none is left.
  using Reach =
      std::function<std::optional<CPointerFormat::Zone>(std::uint64_t from)>;

  CFreeSpace() = default;

  // Adds [start, end), which must not overlap a range already added; an
  // empty range is ignored.
  void Add(std::uint64_t start, std::uint64_t end);

  // Takes `length` bytes (at least 1) at the first offset where they fit in
  // a range and in a zone of `reach`, and returns that offset; nothing,
  // changing nothing, when there is none.
  [[nodiscard]] std::optional<std::uint64_t> Take(std::uint64_t length,
                                                  const Reach& reach);

  // The most bytes one string could take under `reach`: the longest piece
  // of a range that lies in one zone.
  [[nodiscard]] std::uint64_t LargestRun(const Reach& reach) const;

  // All bytes of the ranges added, and those not taken.
  [[nodiscard]] std::uint64_t Total() const { return total_; }
  [[nodiscard]] std::uint64_t Left() const { return left_; }

 private:
  struct Range {
    std::uint64_t start = 0;
    std::uint64_t end = 0;
  };

  // The first offset in `range` where `length` bytes fit in one zone.
  static std::optional<std::uint64_t> FitIn(const Range& range,
                                            std::uint64_t length,
                                            const Reach& reach);

  std::vector<Range> ranges_;
  // No range is longer; it only shrinks as strings are placed, so that a
  // string longer than every range is refused without a search.
  std::uint64_t longest_ = 0;
  std::uint64_t total_ = 0;
  std::uint64_t left_ = 0;
};

}  // namespace dalvren
