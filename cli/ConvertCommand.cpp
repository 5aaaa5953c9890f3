#include <cstdint>
#include <iostream>
#include <memory>
#include <ostream>
#include <span>
#include <string>

#include "cli/ByteToken.h"
#include "cli/Commands.h"
#include "cli/CountingBuf.h"
#include "cli/HexWriteBuf.h"
#include "cli/OutputFile.h"
#include "cli/Plural.h"
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

// Translates `range` as dump or insert does with the options of `line`, and
// returns the characters of text that insert had to drop.
std::uint64_t Convert(const CCommandLine& line, const CCodeTable& table,
                      std::ostream& out, std::span<const unsigned char> range) {
  const bool hex = line.unknown == UnknownBytes::kHex;
  if (line.command == Command::kDump) {
    if (hex) {
      table.forward->Translate(out, range, TokenWritingHooks());
    } else {
      table.forward->Translate(out, range);
    }
    return 0;
  }
  CDroppedCharacters dropped(range);
  CTranslateHooks hooks = hex ? TokenReadingHooks() : CTranslateHooks();
  hooks.onSkip = [&dropped](std::size_t offset, unsigned char, std::string&) {
    dropped.Skipped(offset);
  };
  if (line.optimal) {
    table.reverse->TranslateShortest(out, range, hooks);
  } else {
    table.reverse->Translate(out, range, hooks);
  }
  return dropped.count;
}

// The figures of --stats: the bytes written and the characters of text
// skipped, and with --optimal how that compares with the greedy insertion.
void PrintStats(const CCommandLine& line, const CCodeTable& table,
                std::span<const unsigned char> range, std::uint64_t written,
                std::uint64_t skipped) {
  std::cerr << "bytes written:           " << written << '\n'
            << "text characters skipped: " << skipped << '\n';
  if (line.optimal) {
    CCommandLine greedy = line;
    greedy.optimal = false;
    CCountingBuf counter;
    std::ostream nowhere(&counter);
    const std::uint64_t greedySkipped = Convert(greedy, table, nowhere, range);
    const auto saved = static_cast<std::int64_t>(counter.count) -
                       static_cast<std::int64_t>(written);
    std::cerr << "saved against greedy:    " << Plural(saved, "byte", "bytes")
              << " (greedy writes " << counter.count;
    if (greedySkipped > skipped) {
      std::cerr << " but skips "
                << Plural(static_cast<std::int64_t>(greedySkipped - skipped),
                          "text character", "text characters")
                << " more";
    }
    std::cerr << ")\n";
  }
  std::cerr.flush();
}

}  // namespace

CStatus RunConvert(const CCommandLine& line) {
  std::unique_ptr<CCodeTable> table;
  CInputRange input;
  if (CStatus status = LoadTableAndInput(line, &table, &input);
      !status.IsOk()) {
    return status;
  }
  const std::string named = line.output == "-"
                                ? std::string("standard output")
                                : "output file '" + line.output + "'";
  std::unique_ptr<COutputFile> output;
  if (CStatus status = COutputFile::Open(line.output, &output);
      !status.IsOk()) {
    return status.WithContext("Unable to open " + named);
  }
  std::uint64_t written = 0;
  std::uint64_t skipped = 0;
  {
    CHexWriteBuf hex(*output);
    CCountingBuf counter(line.hexOut ? static_cast<std::streambuf*>(&hex)
                                     : output.get());
    std::ostream out(&counter);
    skipped = Convert(line, *table, out, input.range);
    out.flush();
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
