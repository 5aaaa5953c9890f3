// How every command of the converter loads its table: from the file or
// standard input that -t names, through the character set of
// --table-encoding, with the core's loader.
#pragma once

#include <memory>

#include "cli/CommandLine.h"
#include "cli/InputRange.h"
#include "cli/TableCheck.h"
#include "core/CodeTable.h"
#include "core/Status.h"

namespace dalvren {

// Loads the table of `line` into `*table`. With `check`, the check's report
// is written (CTableCheck::Run) and replacements are reported there; else
// the loader's "Replacing old value" lines go to standard error unless
// `line.quiet`. Fails, with a message that names the table file, when the
// table encoding is unknown or unusable, the file cannot be opened or read,
// or a text does not convert from the table encoding.
[[nodiscard]] CStatus LoadTable(const CCommandLine& line, CTableCheck* check,
                                std::unique_ptr<CCodeTable>* table);

// What dump, insert and roundtrip start from: the table of `line` (as
// above, without a check), then the range of its input (ReadInputRange).
[[nodiscard]] CStatus LoadTableAndInput(const CCommandLine& line,
                                        std::unique_ptr<CCodeTable>* table,
                                        CInputRange* input);

}  // namespace dalvren
