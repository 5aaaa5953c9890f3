// What extract and build convert strings with (rom/RomCodec.h), made from
// the table a command loaded, in either syntax.
#pragma once

#include "cli/TableConverter.h"
#include "rom/RomCodec.h"

namespace dalvren {

// The codec of `converter`, which must outlive it. Dump writes <$XX> tokens
// for bytes no code covers and insert reads them, as dump and insert do with
// --unknown=hex; insert cuts greedily. A string ends where dump reads an end
// code: in the extended syntax one of the table's end codes in the section
// dump reads from, or one of the layout's END= codes at the start of what
// dump reads next (a code, a control code with its parameters, or a byte no
// code covers), when it is at least as long. The table's end codes are those
// of the extended syntax that dump reads, in file order.
[[nodiscard]] CRomCodec MakeRomCodec(const CTableConverter& converter);

}  // namespace dalvren
