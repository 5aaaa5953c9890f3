// The command line of the converter: which command, on which files, with
// which options. Parsing only; nothing is opened here.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/Status.h"

namespace dalvren {

enum class Command {
  kNone,
  kDump,
  kInsert,
  kCheck,
  kRoundTrip,
  kSearch,
  kExtract,
  kBuild,
  kDiff,
  kPatch,
  kHelp,
  kVersion
};

// What dump and insert do with bytes that start no code: skip them, as the
// window does, or keep them as "<$XX>" tokens.
enum class UnknownBytes { kSkip, kHex };

// How the table file is read: the plain syntax the window reads, or the
// extended one with sections and special codes (core/ExtendedTable.h).
enum class TableSyntax { kPlain, kExtended };

struct CCommandLine {
  Command command = Command::kNone;
  // The table file (-t); never empty once parsing succeeded for dump, insert
  // or check.
  std::string table;
  // The input (INPUT) and output (-o) paths; "-" stands for standard input
  // and standard output.
  std::string input = "-";
  std::string output = "-";
  bool hexIn = false;
  bool hexOut = false;
  bool quiet = false;
  // The range of input bytes to dump; absent means from the start and to the
  // end. When both are given their sum does not overflow.
  std::optional<std::uint64_t> offset;
  std::optional<std::uint64_t> length;
  // --offset and --length as the user wrote them, for messages.
  std::string offsetText;
  std::string lengthText;
  UnknownBytes unknown = UnknownBytes::kSkip;
  // insert and roundtrip: the shortest insertion instead of the greedy one.
  bool optimal = false;
  // insert: figures on standard error.
  bool stats = false;
  // check: warnings count as findings for the exit status.
  bool strict = false;
  // The character set of the table's texts, for iconv; empty means the bytes
  // are taken as they are.
  std::string tableEncoding;
  TableSyntax tableSyntax = TableSyntax::kPlain;
  // search: the TEXT looked for through the table, or with --relative the
  // WORD whose letters' differences are looked for, without one. The ROM
  // is `input`.
  std::string searchText;
  std::optional<std::string> relative;
  // search --relative: bytes per letter (1 or 2), and the letters of a
  // further alphabet in order (empty for none; never empty when given).
  unsigned width = 1;
  std::string alphabet;
  // search: bytes of context on each side of a hit, at most kMaxContext.
  std::optional<std::uint64_t> context;
  // search --relative: the starter table's file and the hit it is made for
  // (from 1); `hit` is given only with `tableOut`.
  std::string tableOut;
  std::optional<std::uint64_t> hit;
  // extract, build, diff and patch: their two files, in the order given
  // (LAYOUT ROM, SCRIPT ROM, ORIGINAL NEW, PATCH ORIGINAL); at most one is
  // "-".
  std::vector<std::string> files;
  // build: the patch written beside the new ROM (--patch); empty for none.
  std::string patch;
  // build: builds even for a ROM other than the script's.
  bool force = false;
};

// The most bytes of context search shows on each side of a hit.
inline constexpr std::uint64_t kMaxContext = 1024;

// Parses the arguments that follow the program name into `*line`. Options
// may stand before or after the command word; "--" ends the options.
// "--help" or "--version" anywhere wins over everything else. Returns a usage
// error with a one-line description for bad usage: an unknown option or
// command, a missing or repeated value, a bad number, --unknown mode or
// --table-syntax, an
// option the command does not take, an INPUT for check, more than one INPUT,
// or standard input as both the table and the input of dump, insert,
// roundtrip or search. search takes TEXT and ROM with -t, or ROM alone with
// --relative (and then no table options); --width, --alphabet and
// --table-out need --relative, --hit needs --table-out, and --width is 1 or
// 2, --context at most kMaxContext and --hit at least 1. For extract, build,
// diff and patch also other than two files, standard input named twice (the
// table included), no -o for build, diff and patch, and a patch (diff's -o,
// build's --patch) not named .ips or .bps. `*line` is unspecified then.
[[nodiscard]] CStatus ParseCommandLine(std::span<const char* const> args,
                                       CCommandLine* line);

// Reads a byte count: decimal digits, or hexadecimal digits after "0x" (or
// "0X"). Leading zeros keep a number decimal ("010" is ten). Returns false
// for anything else: empty text, a sign, blanks, stray characters, "0x"
// without digits, or a value beyond 64 bits.
[[nodiscard]] bool ParseCount(std::string_view text, std::uint64_t& value);

// Whether `path` names an IPS or a BPS patch, by its extension (.ips or
// .bps, in either case); false for neither.
[[nodiscard]] bool PatchFormatOf(std::string_view path, bool& bps);

// How messages name the file `path` given on the command line: `stream` for
// "-", else `kind` and the path in quotes ("input file 'a.bin'").
[[nodiscard]] std::string FileInMessages(const std::string& path,
                                         std::string_view kind,
                                         std::string_view stream);

}  // namespace dalvren
