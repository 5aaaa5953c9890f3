// Which section of an extended table translation reads from: a stack of
// frames, the start table at the bottom and one frame per switch code still
// in effect above it. Dump and insert both move it with the operations
// below, so that insert predicts exactly what dump will do with its bytes.
// It is a plain value: insert keeps many of them, compares and hashes them.
//
// Invariants:
//   - There is always at least one frame; the bottom one is the start table
//     and is never counted and never returned from.
//   - A counted frame that runs out of codes is left at once, unless its
//     last code was a switch: then it stays under the frame that switch
//     opened and is left when that one is (a counted frame may thus stand
//     with no codes left, but never on top).
//   - At most kMaxDepth frames stand above the start table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "core/ExtendedTable.h"

namespace dalvren {

class CSwitchState {
 public:
  // How many switch codes may be in effect at once. A switch code read when
  // this many are in effect takes the place of the innermost one, so that a
  // run of switch codes cannot grow the stack without bound.
  static constexpr std::size_t kMaxDepth = 64;

  struct Frame {
    std::uint32_t section = 0;
    // The codes still to read from the section, for a counted frame (a
    // switch with N above 0).
    std::uint32_t left = 0;
    bool counted = false;

    friend bool operator==(const Frame&, const Frame&) = default;
  };

  // Only the start table, `start`.
  explicit CSwitchState(std::uint32_t start);

  [[nodiscard]] const Frame& Top() const { return frames_.back(); }
  [[nodiscard]] std::span<const Frame> Frames() const { return frames_; }

  // True when the top frame ends at a byte its section does not cover: a
  // switch with N = 0.
  [[nodiscard]] bool CanReturn() const {
    return frames_.size() > 1 && !frames_.back().counted;
  }

  // Leaves the top frame (CanReturn must hold), and then every counted frame
  // below it that has no codes left.
  void Return();

  // Takes note that `entry` was read from the top frame's section: it counts
  // as one code of a counted frame; a switch code then opens its frame, and
  // an end code goes back to the start table. Returns true when a switch
  // code took the place of the innermost frame because kMaxDepth were in
  // effect already.
  bool Matched(const CExtendedTable::Entry& entry);

  // Joins frames that dump cannot tell apart from one: two counted frames of
  // one section, one right above the other, are one frame with both counts
  // (the codes read in the upper one and then in the lower one are the same
  // codes of the same section); two N = 0 frames of one section are one
  // (a byte the upper one does not cover leaves the lower one too); and a
  // counted frame of the start table right above the start table is none.
  // What dump does with the bytes to come is the same before and after (as
  // long as fewer than kMaxDepth frames stand), so insert keeps one state
  // for all of them.
  void JoinAlike();

  friend bool operator==(const CSwitchState&, const CSwitchState&) = default;

 private:
  void DropExhausted();
  // Whether the invariants at the top of this file hold; for assert.
  [[nodiscard]] bool Holds() const;

  std::vector<Frame> frames_;
};

}  // namespace dalvren
