#include "CommandLine.h"

#include <charconv>
#include <utility>
#include <vector>

namespace {

bool IsCommandWord(std::string_view word, Command& command) {
  if (word == "dump") {
    command = Command::kDump;
  } else if (word == "insert") {
    command = Command::kInsert;
  } else if (word == "check") {
    command = Command::kCheck;
  } else {
    return false;
  }
  return true;
}

// Reads the value of an option that takes one: attached ("--offset=5",
// "-tfile") or as the next argument. Returns false when none is left.
bool TakeValue(std::span<const char* const> args, std::size_t& i,
               std::string_view attached, bool hasAttached,
               std::string& value) {
  if (hasAttached) {
    value = attached;
    return true;
  }
  if (i + 1 >= args.size()) return false;
  value = args[++i];
  return true;
}

bool SetOnce(std::string_view name, std::string& slot, bool& seen,
             std::string value, std::string& error) {
  if (seen) {
    error = std::string(name) + " is given twice";
    return false;
  }
  if (value.empty()) {
    error = std::string(name) + " needs a file name";
    return false;
  }
  seen = true;
  slot = std::move(value);
  return true;
}

bool SetCount(std::string_view name, std::optional<std::uint64_t>& slot,
              const std::string& value, std::string& error) {
  if (slot) {
    error = std::string(name) + " is given twice";
    return false;
  }
  std::uint64_t count = 0;
  if (!ParseCount(value, count)) {
    error = std::string(name) + " needs a byte count (decimal, or hex after " +
            "0x), not '" + value + "'";
    return false;
  }
  slot = count;
  return true;
}

// Refuses options the command does not take, so that a misplaced option is
// never silently ignored.
bool CheckFitsCommand(const CCommandLine& line, bool outputSeen,
                      std::size_t inputs, std::string& error) {
  if (line.command == Command::kCheck) {
    const char* unfit = line.hexIn    ? "--hex-in"
                        : line.hexOut ? "--hex-out"
                        : line.offset ? "--offset"
                        : line.length ? "--length"
                        : outputSeen  ? "-o"
                                      : nullptr;
    if (unfit != nullptr) {
      error = std::string("check does not take ") + unfit;
      return false;
    }
    if (inputs > 0) {
      error = "check takes no INPUT: it reads only the table";
      return false;
    }
    return true;
  }
  if (line.command == Command::kInsert && (line.offset || line.length)) {
    error = std::string("insert does not take ") +
            (line.offset ? "--offset" : "--length");
    return false;
  }
  if (inputs > 1) {
    error = "more than one INPUT given";
    return false;
  }
  if (line.offset && line.length && *line.length > UINT64_MAX - *line.offset) {
    error = "--offset plus --length is beyond any input size";
    return false;
  }
  return true;
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

bool ParseCommandLine(std::span<const char* const> args, CCommandLine& line,
                      std::string& error) {
  line = CCommandLine();
  error.clear();
  // Asking for help must work even on an otherwise broken command line.
  for (const char* arg : args) {
    const std::string_view word = arg;
    if (word == "--") break;
    if (word == "--help") {
      line.command = Command::kHelp;
      return true;
    }
    if (word == "--version") line.command = Command::kVersion;
  }
  if (line.command == Command::kVersion) return true;
  bool optionsEnded = false;
  bool tableSeen = false;
  bool outputSeen = false;
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
    // Split "--name=value" and "-tvalue"; only the options with a value may
    // carry one attached.
    std::string_view name = arg;
    std::string_view attached;
    bool hasAttached = false;
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
    const bool takesValue = name == "-t" || name == "-o" ||
                            name == "--offset" || name == "--length";
    if (hasAttached && !takesValue) {
      error = "unknown option '" + std::string(arg) + "'";
      break;
    }
    if (!takesValue) {
      if (name == "--hex-in") {
        line.hexIn = true;
      } else if (name == "--hex-out") {
        line.hexOut = true;
      } else if (name == "-q") {
        line.quiet = true;
      } else {
        error = "unknown option '" + std::string(arg) + "'";
        break;
      }
      continue;
    }
    std::string value;
    if (!TakeValue(args, i, attached, hasAttached, value)) {
      error = std::string(name) + " needs a value";
      break;
    }
    const bool ok =
        name == "-t"   ? SetOnce("-t", line.table, tableSeen, value, error)
        : name == "-o" ? SetOnce("-o", line.output, outputSeen, value, error)
        : name == "--offset" ? SetCount(name, line.offset, value, error)
                             : SetCount(name, line.length, value, error);
    if (!ok) break;
  }
  if (!error.empty()) return false;
  if (operands.empty()) {
    error = "no command given (dump, insert or check)";
    return false;
  }
  if (!IsCommandWord(operands.front(), line.command)) {
    error = "unknown command '" + operands.front() + "'";
    return false;
  }
  if (!tableSeen) {
    error = "no table given (-t TABLE)";
    return false;
  }
  if (!CheckFitsCommand(line, outputSeen, operands.size() - 1, error)) {
    return false;
  }
  if (operands.size() == 2) line.input = operands[1];
  return true;
}
