// The translation core's chief header: a loaded character table and the
// reading of table files. Including it brings in byte strings, the hex codec
// and code dictionaries.
#pragma once

#include <istream>
#include <memory>

#include "core/ByteString.h"
#include "core/CodeDictionary.h"
#include "core/HexCodec.h"
#include "core/LoadObserver.h"
#include "core/TableLineReader.h"

namespace dalvren {

// A loaded table: two dictionaries filled from the same lines. Both exist as
// long as the table does, even when no line was usable. The table owns them.
class CCodeTable {
 public:
  // A table with two empty dictionaries, forward made first.
  CCodeTable();

  // Owns both dictionaries.
  CCodeTable(const CCodeTable&) = delete;
  CCodeTable& operator=(const CCodeTable&) = delete;

  // Keys: ROM byte codes; values: their text.
  std::unique_ptr<CCodeDictionary> forward;
  // Keys: texts; values: their byte codes.
  std::unique_ptr<CCodeDictionary> reverse;
};

// Reads a table file from `in` and returns the new table, owned by the
// caller. Never fails: a stream already in a failed state, an empty stream or
// one without a usable line gives a table with two empty dictionaries.
//
// The file is bytes read as text, with no character-set conversion, except
// that a UTF-8 byte-order mark at its very start is skipped. Lines end
// at LF or CR (any mix) or at the end of the input; empty lines are skipped.
// An entry line is a code, "=" and a text. The code (everything before the
// first "=", searched only up to the first zero byte) must have an even
// length and start with a hexadecimal digit; it is read pair by pair with
// HexPairValue. The text is the whole rest of the line, unchanged, possibly
// empty. Every other line is ignored. Each entry is inserted into `forward`
// (code to text) and then into `reverse` (text to code); a later line wins.
// Writes nothing: what the load has to tell goes to the observer below.
[[nodiscard]] std::unique_ptr<CCodeTable> Load(std::istream& in);

// As above, and reports each ignored, cut and loaded line and each
// replacement to `observer` as it happens.
[[nodiscard]] std::unique_ptr<CCodeTable> Load(std::istream& in,
                                               const CLoadObserver& observer);

}  // namespace dalvren
