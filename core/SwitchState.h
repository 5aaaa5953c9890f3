// Which section of an extended table translation reads from: a stack of
// frames, the start table at the bottom and one frame per switch code still
// in effect above it. Dump and insert both move it with the operations
// below, so that insert predicts exactly what dump will do with its bytes.
//
// Invariants:
//   - There is always at least one frame; the bottom one is the start table
//     and is never counted and never returned from.
//   - A counted frame on the stack has codes left to read; one that runs out
//     is returned from at once.
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
    // Distinguishes frames: each switch gives its frame a new number.
    std::uint32_t serial = 0;
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
  // an end code goes back to the start table.
  void Matched(const CExtendedTable::Entry& entry);

 private:
  void DropExhausted();

  std::vector<Frame> frames_;
  std::uint32_t serials_ = 0;
};

}  // namespace dalvren
