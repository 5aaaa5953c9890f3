// ROM bytes to a script through an extended table.
#pragma once

#include <cstddef>
#include <functional>
#include <ostream>
#include <span>
#include <string>

#include "core/ExtendedTable.h"

namespace dalvren {

struct CExtendedDumpOptions {
  // Called for each byte that starts no code of the section being read
  // (after leaving every N = 0 switch that does not cover it either), with
  // its offset; whatever it appends to `emit` (which arrives empty) is
  // written in the byte's place. Without it such bytes are skipped.
  std::function<void(std::size_t offset, unsigned char byte, std::string& emit)>
      onSkip;
  // Called when the input ends inside the parameter bytes of the control
  // code at `offset`: it has `have` of its `need` bytes, which are written.
  std::function<void(std::size_t offset, std::size_t have, std::size_t need)>
      onShortParameters;
  // Called once, for the first switch code (at `offset`) read while
  // CSwitchState::kMaxDepth switch codes were in effect already: it takes
  // the place of the innermost one, so returns from there on skip it.
  std::function<void(std::size_t offset)> onTooDeep;
};

// Appends the script of `input` to `out`. From the start table on, the
// longest code of the current section at each position is read: a text code
// writes its text, a line-break code a line break, an end code its text (or
// its <$XX> tokens when it has none) and then one line break, after which
// reading starts again in the start table; a control code writes its label
// and then its parameter bytes as <$XX> tokens; a switch code writes nothing
// and opens its section (core/SwitchState.h). Where the section has no code,
// a switch with N = 0 ends and the section it came from is tried at the same
// byte; otherwise the byte starts no code. The input is only read. Takes
// time proportional to the input and the output whatever the codes
// (core/KeyFinder.h), and memory for a block of positions per section read.
void DumpExtended(const CExtendedTable& table, std::ostream& out,
                  std::span<const unsigned char> input,
                  const CExtendedDumpOptions& options = {});

}  // namespace dalvren
