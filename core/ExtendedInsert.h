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
  // Cut each run of text read from one section (between switch, return,
  // end and control codes) into as few bytes as possible (see
  // CCodeDictionary::TranslateShortest) instead of greedily.
  bool optimal = false;
  // Called for each script byte that is dropped, in increasing order.
  std::function<void(std::size_t offset)> onSkip;
  // Called when the script ends inside the parameter tokens of the control
  // code whose label starts at `offset`: it has `have` of `need`, which are
  // written.
  std::function<void(std::size_t offset, std::size_t have, std::size_t need)>
      onShortParameters;
  // Called with the script position from which insert reads greedily,
  // each time the search gives up there: because no reading from there dumps
  // back to exactly the script (`exhausted` false), or because it ran out
  // of tries for the stretch or the script (true). A simple table
  // (CExtendedTable::Simple) is read greedily without a search, and never
  // reports.
  std::function<void(std::size_t offset, bool exhausted)> onInexact;
  // How far the search may look back (see InsertExtended): the most choices
  // it keeps open, and the most steps it holds before writing them out.
  // Tests make them small.
  std::size_t openChoices = 64;
  std::size_t heldSteps = 4096;
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
// from the start table on, it writes the code of each word of the current
// section it meets (the longest; an end code's word may be followed by the
// line break dump adds after it, LF or CR LF, which is then taken with it),
// reads a control code's parameter bytes from the <$XX> tokens after its
// label, and chooses switch codes itself: where the current section has no
// word for the text, it writes a switch code of that section whose section
// has one (those that need the fewest further switch codes first, then in
// file order), or else returns from an N = 0 switch; it writes no switch
// code that the text does not need. It counts codes and resets at end codes
// exactly as dump does (core/SwitchState.h).
//
// Among the ways to read the script, it takes the first, in that order of
// preference, whose bytes dump back to exactly the script; where none
// exists (an edited script, a table that cannot be read back), it reads
// greedily, as the plain syntax does, and drops each byte no section can
// take. A byte no word of any section holds is dropped where it stands,
// without a search. The search keeps at most `openChoices` choices open and
// `heldSteps` steps unwritten; beyond that it commits to the oldest. It
// gives up on a stretch where it has tried some 4,096 ways per byte without
// getting any further (reading it greedily and searching again after it),
// and stops looking altogether (reading greedily from then on) after some
// 16 tries per script byte (at least about a million): through sections
// that switch to each other with counts, among many tokens, a reading may
// exist that it does not find in time.
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
