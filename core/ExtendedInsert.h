// A script back to ROM bytes through an extended table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <ostream>
#include <span>

#include "core/ExtendedTable.h"

namespace dalvren {

struct CExtendedInsertOptions {
  // Read each "<$XX>" token of the script (digits of either case) as the
  // raw byte XX, where it is not the spelling of an end code.
  bool tokens = false;
  // Among the readings that dump back to the script, take the one with the
  // fewest bytes (switch codes included) rather than the fewest switch
  // codes.
  bool optimal = false;
  // Called for each script byte that is dropped, in increasing order.
  std::function<void(std::size_t offset)> onSkip;
  // Called when the script ends inside the parameter tokens of the control
  // code whose label starts at `offset`: it has `have` of `need`, which are
  // written.
  std::function<void(std::size_t offset, std::size_t have, std::size_t need)>
      onShortParameters;
  // Called with the script position from which insert reads one piece
  // greedily, each time no reading from there on dumps back to exactly the
  // script (`exhausted` false), or the bounds below dropped readings that
  // might have (true). A script whose plain reading dumps back (see
  // `plainFirst`) never reports.
  std::function<void(std::size_t offset, bool exhausted)> onInexact;
  // The bounds of the search (core/ReadingSearch.h): the most readings kept
  // at one script position, and the most steps held while they disagree.
  // Tests make them small.
  std::size_t openChoices = 64;
  std::size_t heldSteps = std::size_t{1} << 16;
  // A script is first read as the plain syntax reads it, through the start
  // table's words alone (unless a control code there takes parameters); where
  // those bytes dump back to exactly the script they are taken (no switch code
  // is fewer), and the search runs only otherwise. Tests turn this off to run
  // the search on such scripts too, which must give the same bytes.
  bool plainFirst = true;
};

// Where a script cannot be inserted: the control code whose label starts at
// `offset` is followed by `have` parameter tokens where it needs more, and
// the script goes on.
struct CScriptFault {
  std::size_t offset = 0;
  std::uint32_t entry = 0;
  std::size_t have = 0;
};

// Appends the bytes of `script` to `out`. Insert reads what dump writes:
// from the start table on, it writes the code of each text of the current
// section it meets (an end code's text followed by the line break dump adds
// after it, LF or CR LF), reads a control code's parameter bytes from the
// <$XX> tokens after its label, and chooses switch codes itself: where the
// current section has no text for the script, it writes switch codes to one
// that has, or returns from an N = 0 switch, as dump will read them
// (core/SwitchState.h).
//
// Among the ways to read the script, it takes the best (core/
// ReadingSearch.h: the fewest texts dump writes otherwise, then the fewest
// switch codes, then the fewest pieces) whose bytes dump back to exactly the
// script. Where there is none (an edited script, a table that cannot be
// read back), it reads one piece greedily, as the plain syntax does, from
// the furthest point a reading reached (reporting it to onInexact), and
// searches again after it. A character no text of the table holds is
// dropped where it stands, in every reading. Takes time proportional to the
// script for a given table; memory for the table's states and a window of
// the script.
//
// A simple table (CExtendedTable::Simple) is read greedily as the plain
// syntax reads it (with `optimal`, as CCodeDictionary::TranslateShortest
// cuts it); the search runs only where that does not dump back.
//
// Returns false, with `*fault` filled and the bytes before it written, when
// a control code's parameter tokens are missing where the script goes on
// and no other section reached from there takes its label.
[[nodiscard]] bool InsertExtended(const CExtendedTable& table,
                                  std::ostream& out,
                                  std::span<const unsigned char> script,
                                  const CExtendedInsertOptions& options,
                                  CScriptFault* fault);

}  // namespace dalvren
