// The converter's whole run: parses the command line, loads the table and
// carries out dump, insert, check or roundtrip.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace dalvren {

// Exit statuses: success; check found a line that did not load as written
// (or, with --strict, a warning), or roundtrip did not give back the same
// bytes; bad usage, a file that cannot be opened, read or written, a bad
// range, or a table encoding that cannot be used.
inline constexpr int kExitOk = 0;
inline constexpr int kExitCheckFound = 1;
inline constexpr int kExitDiffers = 1;
inline constexpr int kExitError = 2;

// Runs the converter with `args`, the arguments after the program name.
// Reads standard input and writes standard output and standard error as the
// command line asks, and returns the exit status. An output file is replaced
// only when the whole conversion succeeded. Throws nothing: running out of
// memory is reported as "Error! Out of memory", any other exception as
// "Error! " and its message, both with kExitError.
[[nodiscard]] int RunConvertTool(std::span<const char* const> args);

}  // namespace dalvren
