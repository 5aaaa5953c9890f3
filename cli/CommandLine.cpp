#include "cli/CommandLine.h"

#include <algorithm>
#include <charconv>
#include <utility>
#include <vector>

namespace dalvren {

namespace {

// The commands' words, for reading a command and for naming one.
struct CCommandWord {
  std::string_view word;
  Command command;
};
constexpr CCommandWord kCommandWords[] = {
    {"dump", Command::kDump},     {"insert", Command::kInsert},
    {"check", Command::kCheck},   {"roundtrip", Command::kRoundTrip},
    {"search", Command::kSearch}, {"extract", Command::kExtract},
    {"build", Command::kBuild},   {"diff", Command::kDiff},
    {"patch", Command::kPatch},
};

// The commands that work on whole ROMs, with two files each.
bool TakesTwoFiles(Command command) {
  return command == Command::kExtract || command == Command::kBuild ||
         command == Command::kDiff || command == Command::kPatch;
}

bool IsCommandWord(std::string_view word, Command& command) {
  for (const CCommandWord& c : kCommandWords) {
    if (c.word == word) {
      command = c.command;
      return true;
    }
  }
  return false;
}

// Which of the options given once at most were given.
struct CGiven {
  bool table = false;
  bool output = false;
  bool unknown = false;
  bool syntax = false;
  bool width = false;
  bool tableOut = false;
  bool patch = false;
};

// One option word, "--name=value" and "-tvalue" split; only the options with
// a value may carry one attached.
struct COptionWord {
  explicit COptionWord(std::string_view arg) : name(arg) {
    if (arg.starts_with("--")) {
      if (const auto eq = arg.find('='); eq != std::string_view::npos) {
        name = arg.substr(0, eq);
        attached = arg.substr(eq + 1);
        hasAttached = true;
      }
    } else if (arg.size() > 2) {
      name = arg.substr(0, 2);
      attached = arg.substr(2);
      hasAttached = true;
    }
  }

  [[nodiscard]] bool TakesValue() const {
    return name == "-t" || name == "-o" || name == "--offset" ||
           name == "--length" || name == "--unknown" ||
           name == "--table-encoding" || name == "--table-syntax" ||
           name == "--relative" || name == "--width" || name == "--alphabet" ||
           name == "--context" || name == "--table-out" || name == "--hit" ||
           name == "--patch";
  }

  std::string_view name;
  std::string_view attached;
  bool hasAttached = false;
};

// Reads the value of an option that takes one: attached ("--offset=5",
// "-tfile") or as the next argument. Returns false when none is left.
bool TakeValue(std::span<const char* const> args, std::size_t& i,
               const COptionWord& word, std::string& value) {
  if (word.hasAttached) {
    value = word.attached;
    return true;
  }
  if (i + 1 >= args.size()) return false;
  value = args[++i];
  return true;
}

CStatus Usage(std::string message) {
  return CStatus::UsageError(std::move(message));
}

CStatus SetOnce(std::string_view name, std::string& slot, bool& seen,
                std::string value) {
  if (seen) return Usage(std::string(name) + " is given twice");
  if (value.empty()) return Usage(std::string(name) + " needs a file name");
  seen = true;
  slot = std::move(value);
  return {};
}

CStatus SetCount(std::string_view name, std::optional<std::uint64_t>& slot,
                 std::string& written, const std::string& value) {
  if (slot) return Usage(std::string(name) + " is given twice");
  std::uint64_t count = 0;
  if (!ParseCount(value, count)) {
    return Usage(std::string(name) +
                 " needs a byte count (decimal, or hex after 0x), not '" +
                 value + "'");
  }
  slot = count;
  written = value;
  return {};
}

constexpr unsigned Bit(Command command) {
  return 1u << static_cast<unsigned>(command);
}

std::string CommandWord(Command command) {
  for (const CCommandWord& c : kCommandWords) {
    if (c.command == command) return std::string(c.word);
  }
  return "this command";
}

// Refuses options the command does not take, so that a misplaced option is
// never silently ignored.
CStatus CheckFitsCommand(const CCommandLine& line, const CGiven& given,
                         std::size_t inputs) {
  constexpr unsigned kDump = Bit(Command::kDump);
  constexpr unsigned kInsert = Bit(Command::kInsert);
  constexpr unsigned kRoundTrip = Bit(Command::kRoundTrip);
  constexpr unsigned kBuild = Bit(Command::kBuild);
  constexpr unsigned kWholeRom = Bit(Command::kExtract) | kBuild |
                                 Bit(Command::kDiff) | Bit(Command::kPatch);
  // Every command but diff and patch converts through a table (search
  // without one is told apart from search with one by --relative).
  constexpr unsigned kTable = kDump | kInsert | kRoundTrip |
                              Bit(Command::kCheck) | Bit(Command::kExtract) |
                              kBuild | Bit(Command::kSearch);
  const struct {
    const char* option;
    bool given;
    unsigned takenBy;
  } options[] = {
      {"--hex-in", line.hexIn, kDump | kInsert | kRoundTrip},
      {"--hex-out", line.hexOut, kDump | kInsert},
      {"--offset", line.offset.has_value(), kDump | kRoundTrip},
      {"--length", line.length.has_value(), kDump | kRoundTrip},
      {"-o", given.output, kDump | kInsert | kWholeRom},
      {"-t", given.table, kTable},
      {"--table-encoding", !line.tableEncoding.empty(), kTable},
      {"--table-syntax", given.syntax, kTable},
      {"--unknown", given.unknown, kDump | kInsert | kRoundTrip},
      {"--optimal", line.optimal, kInsert | kRoundTrip},
      {"--stats", line.stats, kInsert | kBuild},
      {"--strict", line.strict,
       kDump | kInsert | Bit(Command::kCheck) | kBuild},
      {"--relative", line.relative.has_value(), Bit(Command::kSearch)},
      {"--width", given.width, Bit(Command::kSearch)},
      {"--alphabet", !line.alphabet.empty(), Bit(Command::kSearch)},
      {"--context", line.context.has_value(), Bit(Command::kSearch)},
      {"--table-out", given.tableOut, Bit(Command::kSearch)},
      {"--hit", line.hit.has_value(), Bit(Command::kSearch)},
      {"--patch", given.patch, kBuild},
      {"--force", line.force, kBuild},
  };
  for (const auto& o : options) {
    if (o.given && (o.takenBy & Bit(line.command)) == 0) {
      return Usage(CommandWord(line.command) + " does not take " + o.option);
    }
  }
  if (line.command == Command::kCheck && inputs > 0) {
    return Usage("check takes no INPUT: it reads only the table");
  }
  if (inputs > 1) return Usage("more than one INPUT given");
  if (line.offset && line.length && *line.length > UINT64_MAX - *line.offset) {
    return Usage("--offset plus --length is beyond any input size");
  }
  return {};
}

// Sets an option whose value is one of two words.
template <typename Value>
CStatus SetChoice(std::string_view name, Value& slot, bool& seen,
                  const std::string& value,
                  const std::pair<std::string_view, Value> (&choices)[2]) {
  if (seen) return Usage(std::string(name) + " is given twice");
  seen = true;
  for (const auto& [word, choice] : choices) {
    if (value == word) {
      slot = choice;
      return {};
    }
  }
  return Usage(std::string(name) + " needs " + std::string(choices[0].first) +
               " or " + std::string(choices[1].first) + ", not '" + value +
               "'");
}

CStatus SetEncoding(std::string& slot, const std::string& value) {
  if (!slot.empty()) return Usage("--table-encoding is given twice");
  if (value.empty()) {
    return Usage("--table-encoding needs the name of a character set");
  }
  slot = value;
  return {};
}

// Sets the options of search that take a value: `name` is one of them.
CStatus SetSearchValue(std::string_view name, const std::string& value,
                       CCommandLine& line, CGiven& given) {
  if (name == "--relative") {
    if (line.relative) return Usage("--relative is given twice");
    line.relative = value;
    return {};
  }
  if (name == "--width") {
    if (given.width) return Usage("--width is given twice");
    given.width = true;
    if (value != "1" && value != "2") {
      return Usage("--width needs 1 or 2 (bytes per letter), not '" + value +
                   "'");
    }
    line.width = value == "1" ? 1 : 2;
    return {};
  }
  if (name == "--alphabet") {
    if (!line.alphabet.empty()) return Usage("--alphabet is given twice");
    if (value.empty()) return Usage("--alphabet needs its letters in order");
    line.alphabet = value;
    return {};
  }
  if (name == "--table-out") {
    return SetOnce(name, line.tableOut, given.tableOut, value);
  }
  const bool context = name == "--context";
  std::optional<std::uint64_t>& slot = context ? line.context : line.hit;
  std::string written;
  if (CStatus status = SetCount(name, slot, written, value); !status.IsOk()) {
    return status;
  }
  if (context && *slot > kMaxContext) {
    return Usage("--context takes at most " + std::to_string(kMaxContext) +
                 " bytes");
  }
  if (!context && *slot == 0) return Usage("--hit counts hits from 1");
  return {};
}

// Sets the option without a value named `name`; false when there is none.
bool SetFlag(std::string_view name, CCommandLine& line) {
  if (name == "--hex-in") {
    line.hexIn = true;
  } else if (name == "--hex-out") {
    line.hexOut = true;
  } else if (name == "-q") {
    line.quiet = true;
  } else if (name == "--optimal") {
    line.optimal = true;
  } else if (name == "--stats") {
    line.stats = true;
  } else if (name == "--strict") {
    line.strict = true;
  } else if (name == "--force") {
    line.force = true;
  } else {
    return false;
  }
  return true;
}

// Sets the option with a value named `name` (one that TakesValue).
CStatus SetValue(std::string_view name, const std::string& value,
                 CCommandLine& line, CGiven& given) {
  if (name == "-t") return SetOnce("-t", line.table, given.table, value);
  if (name == "-o") return SetOnce("-o", line.output, given.output, value);
  if (name == "--patch") return SetOnce(name, line.patch, given.patch, value);
  if (name == "--offset") {
    return SetCount(name, line.offset, line.offsetText, value);
  }
  if (name == "--relative" || name == "--width" || name == "--alphabet" ||
      name == "--context" || name == "--table-out" || name == "--hit") {
    return SetSearchValue(name, value, line, given);
  }
  if (name == "--length") {
    return SetCount(name, line.length, line.lengthText, value);
  }
  if (name == "--unknown") {
    return SetChoice(
        name, line.unknown, given.unknown, value,
        {{"skip", UnknownBytes::kSkip}, {"hex", UnknownBytes::kHex}});
  }
  if (name == "--table-syntax") {
    return SetChoice(
        name, line.tableSyntax, given.syntax, value,
        {{"plain", TableSyntax::kPlain}, {"extended", TableSyntax::kExtended}});
  }
  return SetEncoding(line.tableEncoding, value);
}

// search's TEXT and ROM, or ROM alone with --relative, once every option is
// read, and whether they go together with the options given.
CStatus TakeSearchOperands(const std::vector<std::string>& operands,
                           const CGiven& given, CCommandLine& line) {
  if (CStatus fits = CheckFitsCommand(line, given, 0); !fits.IsOk()) {
    return fits;
  }
  const bool relative = line.relative.has_value();
  if (!relative) {
    const std::pair<bool, const char*> needsRelative[] = {
        {given.width, "--width"},
        {!line.alphabet.empty(), "--alphabet"},
        {given.tableOut, "--table-out"}};
    for (const auto& [set, option] : needsRelative) {
      if (set) return Usage(std::string(option) + " needs --relative WORD");
    }
  }
  if (line.hit && !given.tableOut) return Usage("--hit needs --table-out");
  if (relative &&
      (given.table || !line.tableEncoding.empty() || given.syntax)) {
    return Usage(
        "search --relative takes no table: it finds text before one exists");
  }
  if (!relative && !given.table) {
    return Usage("search needs -t TABLE and TEXT, or --relative WORD");
  }
  const std::size_t wanted = relative ? 2 : 3;
  if (operands.size() != wanted) {
    return Usage(relative ? "search --relative needs one ROM"
                          : "search needs TEXT and ROM");
  }
  if (!relative) line.searchText = operands[1];
  line.input = operands.back();
  if (line.table == "-" && line.input == "-") {
    return Usage(
        "the table and the ROM cannot both be standard input: give ROM or "
        "-t as a file");
  }
  return {};
}

// What a command word stands for in messages about its files.
const char* FilesOf(Command command) {
  switch (command) {
    case Command::kExtract:
      return "LAYOUT and ROM";
    case Command::kBuild:
      return "SCRIPT and ROM";
    case Command::kDiff:
      return "ORIGINAL and NEW";
    default:
      return "PATCH and ORIGINAL";
  }
}

CStatus CheckPatchName(std::string_view option, const std::string& path) {
  bool bps = false;
  if (PatchFormatOf(path, bps)) return {};
  return Usage(
      std::string(option) +
      " names the patch, which ends in .ips or .bps (the format), not '" +
      path + "'");
}

// The two files of extract, build, diff and patch.
CStatus TakeFiles(const std::vector<std::string>& operands, const CGiven& given,
                  CCommandLine& line) {
  const std::string word = CommandWord(line.command);
  if (operands.size() != 3) {
    return Usage(word + " takes two files, " + FilesOf(line.command));
  }
  line.files.assign(operands.begin() + 1, operands.end());
  const auto stdinUses = std::count(line.files.begin(), line.files.end(), "-") +
                         (line.table == "-" ? 1 : 0);
  if (stdinUses > 1) {
    return Usage("standard input can be only one of " + word +
                 "'s files and the table");
  }
  if (!given.output && line.command != Command::kExtract) {
    return Usage(word + " needs -o");
  }
  if (line.command == Command::kDiff) return CheckPatchName("-o", line.output);
  if (!given.patch) return {};
  if (line.patch == line.output) {
    return Usage("--patch and -o name the same file");
  }
  return CheckPatchName("--patch", line.patch);
}

// The command and INPUT from the operands, once every option is read, and
// whether they go together with the options given.
CStatus TakeOperands(const std::vector<std::string>& operands,
                     const CGiven& given, CCommandLine& line) {
  if (operands.empty()) {
    return Usage(
        "no command given (dump, insert, check, roundtrip, search, extract, "
        "build, diff or patch)");
  }
  if (!IsCommandWord(operands.front(), line.command)) {
    return Usage("unknown command '" + operands.front() + "'");
  }
  if (line.command == Command::kSearch) {
    return TakeSearchOperands(operands, given, line);
  }
  const bool whole = TakesTwoFiles(line.command);
  if (!given.table && line.command != Command::kDiff &&
      line.command != Command::kPatch) {
    return Usage("no table given (-t TABLE)");
  }
  if (CStatus fits =
          CheckFitsCommand(line, given, whole ? 0 : operands.size() - 1);
      !fits.IsOk()) {
    return fits;
  }
  if (whole) return TakeFiles(operands, given, line);
  if (operands.size() == 2) line.input = operands[1];
  // Standard input can be read only once: the table would take all of it
  // and leave an empty input that converts, without a word, to nothing.
  if (line.table == "-" && line.input == "-" &&
      line.command != Command::kCheck) {
    return Usage(
        "the table and the input cannot both be standard input: give INPUT "
        "or -t as a file");
  }
  return {};
}

// Reads the options and operands after the help and version check.
CStatus ParseWords(std::span<const char* const> args, CCommandLine& line) {
  bool optionsEnded = false;
  CGiven given;
  std::vector<std::string> operands;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (optionsEnded || arg == "-" || arg.empty() || arg[0] != '-') {
      operands.emplace_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    const COptionWord word(arg);
    if (!word.TakesValue()) {
      if (word.hasAttached || !SetFlag(word.name, line)) {
        return Usage("unknown option '" + std::string(arg) + "'");
      }
      continue;
    }
    std::string value;
    if (!TakeValue(args, i, word, value)) {
      return Usage(std::string(word.name) + " needs a value");
    }
    if (CStatus status = SetValue(word.name, value, line, given);
        !status.IsOk()) {
      return status;
    }
  }
  return TakeOperands(operands, given, line);
}

}  // namespace

bool ParseCount(std::string_view text, std::uint64_t& value) {
  int base = 10;
  if (text.size() >= 2 && text[0] == '0' &&
      (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  // from_chars takes no sign for an unsigned type, no blanks and no prefix,
  // which is exactly the strictness wanted here.
  if (text.empty()) return false;
  std::uint64_t parsed = 0;
  const char* end = text.data() + text.size();
  const auto [stop, status] = std::from_chars(text.data(), end, parsed, base);
  if (status != std::errc() || stop != end) return false;
  value = parsed;
  return true;
}

CStatus ParseCommandLine(std::span<const char* const> args,
                         CCommandLine* line) {
  *line = CCommandLine();
  // Asking for help must work even on an otherwise broken command line.
  for (const char* arg : args) {
    const std::string_view word = arg;
    if (word == "--") break;
    if (word == "--help") {
      line->command = Command::kHelp;
      return {};
    }
    if (word == "--version") line->command = Command::kVersion;
  }
  if (line->command == Command::kVersion) return {};
  return ParseWords(args, *line);
}

bool PatchFormatOf(std::string_view path, bool& bps) {
  const auto endsWith = [path](std::string_view extension) {
    if (path.size() < extension.size()) return false;
    const std::string_view end = path.substr(path.size() - extension.size());
    return std::equal(end.begin(), end.end(), extension.begin(),
                      [](char a, char b) {
                        return (a >= 'A' && a <= 'Z' ? a - 'A' + 'a' : a) == b;
                      });
  };
  bps = endsWith(".bps");
  return bps || endsWith(".ips");
}

std::string FileInMessages(const std::string& path, std::string_view kind,
                           std::string_view stream) {
  if (path == "-") return std::string(stream);
  return std::string(kind) + " '" + path + "'";
}

}  // namespace dalvren
