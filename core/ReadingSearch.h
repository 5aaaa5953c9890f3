// The search behind extended insert: among the ways to read a script, the
// best whose bytes dump back to exactly the script. It reads the script
// once, from the first byte to the last, keeping every reading that is
// still possible as a state of what dump would be doing (core/
// ReadingStates.h) at the script position it has reached; two readings that
// reach the same state at the same position have the same future, so only
// the better one is kept. A position thus costs time for each state alive
// there, which the table bounds (and the bounds below cap), whatever the
// script's length.
//
// A reading is better than another when, in this order, it takes fewer
// texts that dump would write otherwise (CInsertIndex::Reading::penalty),
// writes fewer switch codes (with `optimal`: fewer bytes), and reads the
// script in fewer pieces; among equals, the one whose last piece starts
// later, so that longer texts come first as in a greedy reading.
//
// Steps are handed on as soon as every reading still open agrees on them,
// and at the latest once the readings have disagreed for `heldSteps` steps
// (then the best one is taken, and the others dropped).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>

#include "core/ExtendedTable.h"
#include "core/InsertIndex.h"
#include "core/ReadingStates.h"

namespace dalvren {

// One thing insert does, in script order.
struct CReadingStep {
  enum class Kind : std::uint8_t {
    kCode,       // writes the code of `entry`, read from [from, to)
    kParameter,  // writes `byte`, a control code's parameter from a token
    kByte,       // writes `byte`, from a token that stands for no code
    kDrop,       // writes nothing for [from, to)
    kSwitch,     // writes the code of the switch `entry`; reads nothing
  };
  Kind kind = Kind::kCode;
  unsigned char byte = 0;
  std::uint32_t entry = 0;
  std::size_t from = 0;
  std::size_t to = 0;
  // A piece insert takes although dump writes it otherwise
  // (CInsertIndex::Reading::penalty).
  bool accepted = false;
  // The reading's state before the step (a CReadingStates::Id), as the
  // search hands the step on.
  std::uint32_t before = 0;
};

struct CReadingBounds {
  // The most states kept at one script position.
  std::size_t states = 64;
  // The most states one position may try to reach through switch codes and
  // returns before it reads on.
  std::size_t tried = 4096;
  // The most steps held while readings disagree.
  std::size_t heldSteps = std::size_t{1} << 16;
};

class CReadingSearch {
 public:
  using Id = CReadingStates::Id;

  // Where a search stopped: at the end of the script, or at the furthest
  // position some reading reached when none could go on; `state` is the
  // best reading's there, whose steps up to it are handed on. `bounded` tells
  // that a bound dropped readings since the search began.
  //
  // A search told to `retry` that stops short of the end hands on only the
  // steps every reading agreed on, and says from where (`from`, `fromState`)
  // it should be run again: the second time with every switch code tried
  // (up to `wideTo`), not only those that lead toward the text.
  struct Outcome {
    std::size_t pos = 0;
    Id state = 0;
    bool bounded = false;
    bool retry = false;
    std::size_t from = 0;
    Id fromState = 0;
  };

  // All of these must outlive the search. `write` receives the steps;
  // `inexact` is told (with the script position, and true) of a step that
  // does not dump back exactly taken while the bounds had dropped readings,
  // which might have.
  CReadingSearch(const CExtendedTable& table, CReadingStates& states,
                 CInsertIndex& index, std::span<const unsigned char> script,
                 bool tokens, bool optimal, const CReadingBounds& bounds,
                 std::function<void(const CReadingStep&)> write,
                 std::function<void(std::size_t, bool)> inexact);
  ~CReadingSearch();

  CReadingSearch(const CReadingSearch&) = delete;
  CReadingSearch& operator=(const CReadingSearch&) = delete;

  // Reads the script exactly from `pos` in `state`, as far as it goes.
  // Up to the position `wideTo`, every switch code is tried between two
  // pieces of script; after it, only those the text needs. With `retry`, a
  // search that stops short asks to be run again (Outcome::retry).
  [[nodiscard]] Outcome Run(std::size_t pos, Id state, std::size_t wideTo,
                            bool retry);

 private:
  class CImpl;
  std::unique_ptr<CImpl> impl_;
};

}  // namespace dalvren
