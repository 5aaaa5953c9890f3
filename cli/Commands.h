// The converter's commands, each from a parsed command line to its outcome.
// Each writes its results (and, for dump and insert, the output file) and
// leaves the reporting of a failure to its caller.
#pragma once

#include "cli/CommandLine.h"
#include "cli/Status.h"

namespace dalvren {

// dump and insert: converts the input range to the output, in full or not
// at all; with --stats, prints the figures on standard error.
[[nodiscard]] CStatus RunConvert(const CCommandLine& line);

// check: writes the table's report on standard output. Fails with
// kExitCheckFound (and no message) when a line did not load as written, or
// with --strict when there was a warning.
[[nodiscard]] CStatus RunCheck(const CCommandLine& line);

// roundtrip: writes the report on standard output. Fails with kExitDiffers
// (and no message) when the bytes did not come back the same (in the
// extended syntax with switch codes: when the script did not).
[[nodiscard]] CStatus RunRoundTrip(const CCommandLine& line);

// search --relative: writes every hit of the WORD and their count on
// standard output and, with --table-out, the starter table of the hit of
// --hit. Fails with kExitNoHit (after a line saying so) when there is none,
// and with a message for a WORD or --alphabet that cannot be searched, a
// ROM that cannot be read, or a table that cannot be written.
[[nodiscard]] CStatus RunRelativeSearch(const CCommandLine& line);

// search through the table: writes every hit of every spelling of TEXT and
// their count on standard output, with a note on standard error when the
// spellings were too many to search them all. Fails with kExitNoHit (after
// a line saying so) when there is none, and with a message when the table
// cannot be loaded or cannot spell TEXT, or the ROM cannot be read.
[[nodiscard]] CStatus RunTableSearch(const CCommandLine& line);

// extract: writes the script of the ROM for the layout to the output, and
// notes on what it skipped to standard error unless -q.
[[nodiscard]] CStatus RunExtract(const CCommandLine& line);

// build: writes the new ROM (and with --patch the patch) only when every
// string fitted; reports dropped characters (unless -q), the strings that
// did not fit (failing with kExitNoRoom) and with --stats the figures on
// standard error. With --strict a dropped character fails it.
[[nodiscard]] CStatus RunBuild(const CCommandLine& line);

// diff: writes the IPS or BPS patch (by -o's extension) from the original
// to the new ROM.
[[nodiscard]] CStatus RunDiff(const CCommandLine& line);

// patch: writes the original with the IPS or BPS patch applied.
[[nodiscard]] CStatus RunPatch(const CCommandLine& line);

// Flushes the report on standard output; fails when it could not be
// written, so that a full disk or a closed pipe is not a success.
[[nodiscard]] CStatus FlushStandardOutput();

}  // namespace dalvren
