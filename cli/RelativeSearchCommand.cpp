#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/ExitStatus.h"
#include "cli/OutputFile.h"
#include "cli/Plural.h"
#include "cli/RomSearch.h"
#include "cli/TableCheck.h"
#include "cli/TableConverter.h"
#include "core/CodeTable.h"
#include "rom/RelativeSearch.h"
#include "rom/StarterTable.h"

namespace dalvren {

namespace {

using ByteOrder = CRelativePattern::ByteOrder;

// What a hit implies: the byte order and the code of each group's first
// letter. Hits in a run of text imply the same, so the table made for one
// serves the next.
struct CImplied {
  ByteOrder order = ByteOrder::kBig;
  std::vector<std::uint32_t> bases;
  bool operator==(const CImplied&) const = default;
};

// A converter through the starter table of the hit at hand, loaded from the
// very file --table-out would write, for the context.
class CHitTables {
 public:
  explicit CHitTables(const CRelativePattern& pattern) : pattern_(pattern) {}

  const CTableConverter& For(const CImplied& implied) {
    if (!converter_ || implied != implied_) {
      implied_ = implied;
      const CStarterTable starter(pattern_, implied.bases, implied.order);
      std::istringstream text(starter.Text());
      CLoadObserver quiet;
      quiet.onReplaced = [](std::size_t, TableDictionary) {};
      converter_ = std::make_unique<CTableConverter>(Load(text, quiet));
    }
    return *converter_;
  }

 private:
  const CRelativePattern& pattern_;
  CImplied implied_;
  std::unique_ptr<CTableConverter> converter_;
};

// "A=0A a=24": each group's first letter at its implied code, as a line of
// the starter table would give it.
std::string Bases(const CRelativePattern& pattern, const CImplied& implied) {
  std::string text;
  const auto& groups = pattern.Groups();
  for (std::size_t g = 0; g < groups.size(); ++g) {
    if (g > 0) text += ' ';
    text +=
        groups[g].letters.front() + "=" +
        CodeHex(UnitBytes(implied.bases[g], pattern.Width(), implied.order));
  }
  return text;
}

void PrintHit(const CRelativePattern& pattern, const CRelativeHit& hit,
              const CImplied& implied, CHitTables& tables) {
  const CTableConverter& table = tables.For(implied);
  const auto dump = [&table](std::span<const unsigned char> bytes) {
    std::ostringstream out;
    CTableConverter::DumpOptions options;
    options.tokens = true;
    table.Dump(out, bytes, options);
    return out.str();
  };
  std::cout << HitOffset(hit.bytes.offset) << "  ";
  if (pattern.Width() == 2) {
    std::cout << (implied.order == ByteOrder::kBig ? "BE" : "LE") << "  ";
  }
  std::cout << Bases(pattern, implied) << "  " << ContextText(hit.bytes, dump)
            << '\n';
}

// Writes the starter table of the chosen hit to --table-out and says so.
CStatus WriteStarterTable(const CCommandLine& line,
                          const CRelativePattern& pattern,
                          const CImplied& implied, std::uint64_t offset) {
  const CStarterTable table(pattern, implied.bases, implied.order);
  std::unique_ptr<COutputFile> file;
  const std::string named = "table file '" + line.tableOut + "'";
  if (CStatus status = COutputFile::Open(line.tableOut, &file);
      !status.IsOk()) {
    return status.WithContext("Unable to write " + named);
  }
  std::ostream out(file.get());
  out << table.Text();
  out.flush();
  if (CStatus status = file->Commit(); !status.IsOk()) {
    return status.WithContext("Unable to write " + named);
  }
  std::cout << "Starter table of hit " << line.hit.value_or(1) << " ("
            << HitOffset(offset)
            << "): " << Plural(table.Entries().size(), "code", "codes")
            << " in " << named << '\n';
  if (!table.LeftOut().empty()) {
    std::cout << "Left out, their codes taken by letters placed before them:";
    for (const std::string& letter : table.LeftOut())
      std::cout << ' ' << letter;
    std::cout << '\n';
  }
  return {};
}

}  // namespace

CStatus RunRelativeSearch(const CCommandLine& line) {
  std::unique_ptr<CRelativePattern> pattern;
  if (CError error = CRelativePattern::Parse(
          *line.relative, {.width = line.width, .alphabet = line.alphabet},
          &pattern);
      !error.IsOk()) {
    return CStatus::Failure(kExitError, error.Message());
  }
  CHitTables tables(*pattern);
  const std::uint64_t wanted = line.hit.value_or(1);
  std::uint64_t hits = 0;
  std::optional<CImplied> chosen;
  std::uint64_t chosenOffset = 0;
  CImplied implied;
  const auto onHit = [&](const CRelativeHit& hit) {
    implied.order = hit.order;
    implied.bases.assign(hit.bases.begin(), hit.bases.end());
    PrintHit(*pattern, hit, implied, tables);
    if (++hits == wanted) {
      chosen = implied;
      chosenOffset = hit.bytes.offset;
    }
  };
  if (CStatus status = SearchRom(line,
                                 [&](std::istream& in, const auto& options) {
                                   return RelativeSearch(in, *pattern, options,
                                                         onHit);
                                 });
      !status.IsOk()) {
    return status;
  }
  if (hits == 0) {
    std::cout << "No hit for \"" << *line.relative << "\"\n";
    if (CStatus flushed = FlushStandardOutput(); !flushed.IsOk())
      return flushed;
    return CStatus::Failure(kExitNoHit, "");
  }
  std::cout << Plural(hits, "hit", "hits") << '\n';
  if (!line.tableOut.empty()) {
    if (!chosen) {
      if (CStatus flushed = FlushStandardOutput(); !flushed.IsOk()) {
        return flushed;
      }
      return CStatus::Failure(kExitError, "--hit " + std::to_string(wanted) +
                                              " names no hit: there " +
                                              (hits == 1 ? "is " : "are ") +
                                              Plural(hits, "hit", "hits") +
                                              "; no table written");
    }
    if (CStatus status =
            WriteStarterTable(line, *pattern, *chosen, chosenOffset);
        !status.IsOk()) {
      return status;
    }
  }
  return FlushStandardOutput();
}

}  // namespace dalvren
