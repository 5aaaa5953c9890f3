// The converter's whole run: parses the command line, loads the table and
// carries out dump, insert, check or roundtrip.
#pragma once

#include <span>

namespace dalvren {

// Runs the converter with `args`, the arguments after the program name.
// Reads standard input and writes standard output and standard error as the
// command line asks, and returns the exit status (cli/ExitStatus.h). An output
// file is replaced only when the whole conversion succeeded. Throws nothing:
// running out of memory is reported as "Error! Out of memory", any other
// exception as "Error! " and its message, both with kExitError.
[[nodiscard]] int RunConvertTool(std::span<const char* const> args);

}  // namespace dalvren
