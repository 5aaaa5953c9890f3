#include <cstdint>
#include <iostream>
#include <memory>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/CountingBuf.h"
#include "cli/ExitStatus.h"
#include "cli/HexWriteBuf.h"
#include "cli/OutputFile.h"
#include "cli/Plural.h"
#include "cli/SpacedHex.h"
#include "cli/TableConverter.h"
#include "cli/TableLoader.h"
#include "core/InsertReport.h"
#include "core/SwitchState.h"
#include "core/Utf8.h"

namespace dalvren {

namespace {

std::string Bytes(std::size_t count) {
  return Plural(count, "parameter byte", "parameter bytes");
}

// What dump skipped and insert dropped: said on standard error (unless -q),
// each at most kShownFindings times and then counted.
class CFindings {
 public:
  CFindings(const CCommandLine& line, const CTableConverter& table,
            std::span<const unsigned char> range)
      : line_(line),
        range_(range),
        held_(table.HeldCharacters(line.unknown == UnknownBytes::kHex)),
        insert_(range, held_,
                {.tokens = line.unknown == UnknownBytes::kHex,
                 .tokensHint = "--unknown=hex"}),
        name_(line.input == "-" ? "standard input" : line.input) {}

  CFindings(const CFindings&) = delete;
  CFindings& operator=(const CFindings&) = delete;

  CInsertReport& Insert() { return insert_; }

  void Skipped(std::size_t offset) {
    ++skipped_;
    if (skippedAt_.size() < kShownFindings) skippedAt_.push_back(offset);
  }

  // Whether anything was lost: what --strict fails on.
  [[nodiscard]] bool Any() const { return skipped_ > 0 || !insert_.Clean(); }

  [[nodiscard]] std::uint64_t DroppedCharacters() const {
    return insert_.DroppedCharacters();
  }

  void Print() const {
    if (line_.quiet) return;
    const std::vector<std::string> lines =
        line_.command == Command::kDump ? DumpLines() : InsertLines();
    for (const std::string& text : lines) std::cerr << text << '\n';
    std::cerr.flush();
  }

 private:
  std::vector<std::string> InsertLines() const {
    return insert_.Lines(
        [this](std::size_t offset) {
          const CTextPlace place = PlaceInText(range_, offset);
          return name_ + ":" + std::to_string(place.line) + ":" +
                 std::to_string(place.column);
        },
        name_);
  }

  std::vector<std::string> DumpLines() const {
    std::vector<std::string> lines;
    if (skipped_ == 0) return lines;
    const std::uint64_t first = line_.offset.value_or(0);
    for (const std::size_t offset : skippedAt_) {
      const auto byte = static_cast<char>(range_[offset]);
      lines.push_back(name_ + ": offset " + OffsetText(first + offset) +
                      ": skipped byte " + SpacedHex({&byte, 1}) +
                      ": no code of the table reads it");
    }
    if (skipped_ > skippedAt_.size()) {
      lines.push_back(name_ + ": and " +
                      std::to_string(skipped_ - skippedAt_.size()) + " more");
    }
    lines.push_back(name_ + ": " + Plural(skipped_, "byte", "bytes") +
                    " skipped (--unknown=hex writes them as <$XX> tokens)");
    return lines;
  }

  const CCommandLine& line_;
  std::span<const unsigned char> range_;
  CHeldCharacters held_;
  CInsertReport insert_;
  std::string name_;
  std::uint64_t skipped_ = 0;
  std::vector<std::size_t> skippedAt_;
};

// Translates `range` as dump or insert does with the options of `line`,
// telling `findings` of what it skipped or dropped. Notes on standard error
// where the input ends inside a control code's parameters, unless `quiet`.
// Fails where insert does (a control code's parameters missing from the
// script).
CStatus Convert(const CCommandLine& line, const CTableConverter& table,
                std::ostream& out, std::span<const unsigned char> range,
                bool quiet, CFindings& findings) {
  const bool hex = line.unknown == UnknownBytes::kHex;
  const std::uint64_t first = line.offset.value_or(0);
  if (line.command == Command::kDump) {
    CTableConverter::DumpOptions options;
    options.tokens = hex;
    if (!hex) {
      options.onSkip = [&findings](std::size_t offset) {
        findings.Skipped(offset);
      };
    }
    if (!quiet) {
      options.onShortParameters = [first](std::size_t offset, std::size_t have,
                                          std::size_t need) {
        std::cerr << "Note: the control code at offset "
                  << OffsetText(first + offset) << " has " << have << " of its "
                  << Bytes(need) << ": the input ends there" << std::endl;
      };
      options.onTooDeep = [first](std::size_t offset) {
        std::cerr << "Note: the switch code at offset "
                  << OffsetText(first + offset) << " is the "
                  << CSwitchState::kMaxDepth + 1
                  << "th in effect at once: it takes the place of the "
                     "innermost one, here and wherever switch codes nest so "
                     "deep"
                  << std::endl;
      };
    }
    table.Dump(out, range, options);
    return {};
  }
  CTableConverter::InsertOptions options;
  options.tokens = hex;
  options.optimal = line.optimal;
  options.onSkip = [&findings](std::size_t offset) {
    findings.Insert().Dropped(offset);
  };
  options.onInexact = [&findings](std::size_t offset, bool bounded) {
    findings.Insert().Inexact(offset, bounded);
  };
  if (!quiet) {
    options.onShortParameters = [range](std::size_t offset, std::size_t have,
                                        std::size_t need) {
      std::cerr << "Note: the control code at " << TextPosition(range, offset)
                << " has " << have << " of its " << Bytes(need)
                << ": the script ends there" << std::endl;
    };
  }
  return table.Insert(out, range, options);
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
    CFindings greedyFindings(greedy, table, range);
    // The same script inserted a moment ago: it fails no differently now.
    (void)Convert(greedy, table, nowhere, range, true, greedyFindings);
    const std::uint64_t greedySkipped = greedyFindings.DroppedCharacters();
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
  CFindings findings(line, *table, input.range);
  {
    CHexWriteBuf hex(*output);
    CCountingBuf counter(line.hexOut ? static_cast<std::streambuf*>(&hex)
                                     : output.get());
    std::ostream out(&counter);
    const CStatus converted =
        Convert(line, *table, out, input.range, line.quiet, findings);
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
  findings.Print();
  if (line.stats) {
    PrintStats(line, *table, input.range, written,
               findings.DroppedCharacters());
  }
  // The output is whole all the same: --strict only says that it lacks
  // something.
  if (line.strict && findings.Any()) return CStatus::Failure(kExitDrops, "");
  return {};
}

}  // namespace dalvren
