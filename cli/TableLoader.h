// How every command of the converter loads its table: from the file or
// standard input that -t names, through the character set of
// --table-encoding, in the syntax of --table-syntax, with the core's
// loaders.
#pragma once

#include <memory>

#include "cli/CommandLine.h"
#include "cli/InputRange.h"
#include "cli/Status.h"
#include "cli/TableCheck.h"
#include "cli/TableConverter.h"
#include "core/CodeTable.h"

namespace dalvren {

// Loads the table of `line`, in the plain syntax, into `*table`. With
// `check`, the check's report is written (CTableCheck::Run) and
// replacements are reported there; else each replacement is a line on
// standard error unless `line.quiet`, naming the table, the line, the code
// or text and what it held ("t.tbl: line 3: code 41 was "A" (line 1), now
// "a""). Fails, with a message that
// names the table file, when the table encoding is unknown or unusable, the
// file cannot be opened or read, or a text does not convert from the table
// encoding.
[[nodiscard]] CStatus LoadTable(const CCommandLine& line, CTableCheck* check,
                                std::unique_ptr<CCodeTable>* table);

// Loads the table of `line` in the syntax it names into `*converter`, as
// LoadTable does without a check.
[[nodiscard]] CStatus LoadConverter(
    const CCommandLine& line, std::unique_ptr<CTableConverter>* converter);

// Loads the table of `line` in the extended syntax into `*table`, with the
// observer of `check` (CTableCheck::Observer), and fails as LoadTable does.
// The caller finishes the check.
[[nodiscard]] CStatus LoadExtendedChecked(
    const CCommandLine& line, CTableCheck& check,
    std::unique_ptr<CExtendedTable>* table);

// Fails when the output (-o) of `line` is its table file: the same file
// (device and inode), however named (another spelling of the path, a hard
// or a symbolic link), which the output would replace. Standard input and
// output, and an output that does not exist yet, pass.
[[nodiscard]] CStatus RefuseTableAsOutput(const CCommandLine& line);

// What dump, insert and roundtrip start from: the table of `line` in the
// syntax it names (LoadConverter), then the range of its input
// (ReadInputRange).
[[nodiscard]] CStatus LoadTableAndInput(const CCommandLine& line,
                                        std::unique_ptr<CTableConverter>* table,
                                        CInputRange* input);

}  // namespace dalvren
