#include <cstdint>
#include <iostream>
#include <memory>
#include <ostream>
#include <span>
#include <string>

#include "cli/Commands.h"
#include "cli/CountingBuf.h"
#include "cli/HexWriteBuf.h"
#include "cli/OutputFile.h"
#include "cli/Plural.h"
#include "cli/SpacedHex.h"
#include "cli/TableConverter.h"
#include "cli/TableLoader.h"
#include "core/Utf8.h"

namespace dalvren {

namespace {

// Counts the characters of a text that lose a byte, as the shortest
// insertion counts them: a character (core/Utf8.h) is dropped when any of
// its bytes is skipped. Skipped bytes must be reported in increasing order.
class CDroppedCharacters {
 public:
  explicit CDroppedCharacters(std::span<const unsigned char> text)
      : text_(text) {}

  void Skipped(std::size_t offset) {
    const std::size_t start = Utf8CharAt(text_, offset).start;
    if (count > 0 && start == lastStart_) return;
    lastStart_ = start;
    ++count;
  }

  std::uint64_t count = 0;

 private:
  std::span<const unsigned char> text_;
  std::size_t lastStart_ = 0;
};

std::string Bytes(std::size_t count) {
  return Plural(count, "parameter byte", "parameter bytes");
}

// Translates `range` as dump or insert does with the options of `line`,
// counting in `*dropped` the characters of text insert had to drop. Notes
// on standard error where the input ends inside a control code's
// parameters, unless `quiet`. Fails where insert does (a control code's
// parameters missing from the script).
CStatus Convert(const CCommandLine& line, const CTableConverter& table,
                std::ostream& out, std::span<const unsigned char> range,
                bool quiet, std::uint64_t* dropped) {
  const bool hex = line.unknown == UnknownBytes::kHex;
  const std::uint64_t first = line.offset.value_or(0);
  if (line.command == Command::kDump) {
    CTableConverter::DumpOptions options;
    options.tokens = hex;
    if (!quiet) {
      options.onShortParameters = [first](std::size_t offset, std::size_t have,
                                          std::size_t need) {
        std::cerr << "Note: the control code at offset "
                  << OffsetText(first + offset) << " has " << have << " of its "
                  << Bytes(need) << ": the input ends there" << std::endl;
      };
    }
    table.Dump(out, range, options);
    return {};
  }
  CDroppedCharacters characters(range);
  CTableConverter::InsertOptions options;
  options.tokens = hex;
  options.optimal = line.optimal;
  options.onSkip = [&characters](std::size_t offset) {
    characters.Skipped(offset);
  };
  if (!quiet) {
    options.onShortParameters = [range](std::size_t offset, std::size_t have,
                                        std::size_t need) {
      std::cerr << "Note: the control code at " << TextPosition(range, offset)
                << " has " << have << " of its " << Bytes(need)
                << ": the script ends there" << std::endl;
    };
  }
  CStatus status = table.Insert(out, range, options);
  *dropped = characters.count;
  return status;
}

// The figures of --stats: the bytes written and the characters of text
// skipped, and with --optimal how that compares with the greedy insertion.
void PrintStats(const CCommandLine& line, const CTableConverter& table,
                std::span<const unsigned char> range, std::uint64_t written,
                std::uint64_t skipped) {
  std::cerr << "bytes written:           " << written << '\n'
            << "text characters skipped: " << skipped << '\n';
  if (line.optimal) {
    CCommandLine greedy = line;
    greedy.optimal = false;
    CCountingBuf counter;
    std::ostream nowhere(&counter);
    std::uint64_t greedySkipped = 0;
    // The same script inserted a moment ago: it fails no differently now.
    (void)Convert(greedy, table, nowhere, range, true, &greedySkipped);
    const auto saved = static_cast<std::int64_t>(counter.count) -
                       static_cast<std::int64_t>(written);
    std::cerr << "saved against greedy:    " << Plural(saved, "byte", "bytes")
              << " (greedy writes " << counter.count;
    if (greedySkipped > skipped) {
      std::cerr << " but skips "
                << Plural(greedySkipped - skipped, "text character",
                          "text characters")
                << " more";
    }
    std::cerr << ")\n";
  }
  std::cerr.flush();
}

}  // namespace

CStatus RunConvert(const CCommandLine& line) {
  if (CStatus status = RefuseTableAsOutput(line); !status.IsOk()) return status;
  // Before the input is read, which may take long from a pipe: an output
  // that cannot be written fails at once.
  const std::string named =
      FileInMessages(line.output, "output file", "standard output");
  std::unique_ptr<COutputFile> output;
  if (CStatus status = COutputFile::Open(line.output, &output);
      !status.IsOk()) {
    return status.WithContext("Unable to open " + named);
  }
  std::unique_ptr<CTableConverter> table;
  CInputRange input;
  if (CStatus status = LoadTableAndInput(line, &table, &input);
      !status.IsOk()) {
    return status;
  }
  std::uint64_t written = 0;
  std::uint64_t skipped = 0;
  {
    CHexWriteBuf hex(*output);
    CCountingBuf counter(line.hexOut ? static_cast<std::streambuf*>(&hex)
                                     : output.get());
    std::ostream out(&counter);
    const CStatus converted =
        Convert(line, *table, out, input.range, line.quiet, &skipped);
    out.flush();
    if (!converted.IsOk()) {
      return converted.WithContext(
          FileInMessages(line.input, "Input file", "Standard input"));
    }
    // The bytes converted, before any hex rendering.
    written = counter.count;
  }
  if (CStatus status = output->Commit(); !status.IsOk()) {
    return status.WithContext("Unable to write " + named);
  }
  if (line.stats) PrintStats(line, *table, input.range, written, skipped);
  return {};
}

}  // namespace dalvren
