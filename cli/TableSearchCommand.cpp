#include <algorithm>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/ExitStatus.h"
#include "cli/Plural.h"
#include "cli/RomSearch.h"
#include "cli/TableCheck.h"
#include "cli/TableConverter.h"
#include "cli/TableLoader.h"
#include "core/Utf8.h"
#include "rom/PatternSearch.h"
#include "rom/TextSpellings.h"

namespace dalvren {

namespace {

// The pieces one table of the file spells with: the plain table, or one
// section of an extended one.
struct CSpellingSource {
  std::uint32_t section = 0;
  std::vector<CCodeText> pieces;
};

// One way of spelling the text: the table it is in and its codes, as hits
// show them ("74 68 65").
struct CWay {
  std::uint32_t section = 0;
  std::string codes;
};

// What the search looks for: each distinct byte pattern once, with every
// way that gives it.
struct CPlan {
  std::vector<std::string> patterns;
  std::vector<std::vector<CWay>> ways;
  std::uint64_t cuts = 0;
  bool capped = false;
  // The cuts listed.
  std::size_t listed = 0;
  // The longest start of the text some table spells, and its length.
  std::size_t reach = 0;
};

std::string CodesText(const CTextSpellings::Spelling& spelling,
                      const std::vector<CCodeText>& pieces) {
  std::string text;
  for (const std::uint32_t piece : spelling.pieces) {
    if (!text.empty()) text += ' ';
    text += CodeHex(pieces[piece].code);
  }
  return text;
}

CPlan MakePlan(const std::string& text,
               const std::vector<CSpellingSource>& sources) {
  CPlan plan;
  std::map<std::string, std::size_t> index;
  std::size_t cutsLeft = CTextSpellings::kMaxCuts;
  std::size_t bytesLeft = CTextSpellings::kMaxBytes;
  for (const CSpellingSource& source : sources) {
    const CTextSpellings spellings(text, source.pieces, cutsLeft, bytesLeft);
    plan.cuts =
        std::min(plan.cuts, UINT64_MAX - spellings.Cuts()) + spellings.Cuts();
    plan.capped = plan.capped || spellings.Capped();
    plan.reach = std::max(plan.reach, spellings.Reach());
    plan.listed += spellings.Listed();
    cutsLeft -= spellings.Listed();
    // Once one table's spellings were cut short, the others' would be too.
    bytesLeft = spellings.Capped() ? 0 : bytesLeft - spellings.Bytes();
    for (const auto& spelling : spellings.Spellings()) {
      const auto [it, added] =
          index.try_emplace(spelling.bytes, plan.patterns.size());
      if (added) {
        plan.patterns.push_back(spelling.bytes);
        plan.ways.emplace_back();
      }
      plan.ways[it->second].push_back(
          {source.section, CodesText(spelling, source.pieces)});
    }
  }
  return plan;
}

// Why `text` has no spelling: what follows the longest start some table
// spells.
std::string NoSpelling(const std::string& text, std::size_t reach) {
  const std::span<const unsigned char> rest(
      reinterpret_cast<const unsigned char*>(text.data()) + reach,
      text.size() - reach);
  std::string why = "The table cannot spell \"" + text +
                    "\": no text of it starts with \"" +
                    text.substr(reach, Utf8CharLength(rest)) + "\"";
  if (reach > 0) why += ", after \"" + text.substr(0, reach) + "\"";
  return why;
}

// The switch codes that take a dump from the start table into `section`:
// switches with N = 0 where they can, so that the dump stays there until a
// byte the section does not cover. Empty for the start table and for a
// section no switch leads to.
std::string SwitchPath(const CExtendedTable& table, std::uint32_t section) {
  if (section == table.start) return {};
  for (const bool openEnded : {true, false}) {
    std::vector<bool> seen(table.sections.size(), false);
    std::vector<std::string> path(table.sections.size());
    std::vector<std::uint32_t> queue = {table.start};
    seen[table.start] = true;
    for (std::size_t head = 0; head < queue.size(); ++head) {
      const std::uint32_t from = queue[head];
      for (const std::uint32_t id : table.sections[from].switches) {
        const CExtendedTable::Entry& entry = table.entries[id];
        if ((openEnded && entry.count != 0) || seen[entry.target]) continue;
        seen[entry.target] = true;
        path[entry.target] = path[from] + entry.code;
        if (entry.target == section) return path[section];
        queue.push_back(entry.target);
      }
    }
  }
  return {};
}

// Searches the ROM of `line` for the patterns of `plan` and writes a line
// for every way each hit spells the text, then the count.
CStatus RunSpellingSearch(const CCommandLine& line,
                          const CTableConverter& converter, const CPlan& plan) {
  const CExtendedTable* extended = converter.Extended();
  std::vector<std::string> paths;
  if (extended != nullptr) {
    for (std::uint32_t s = 0; s < extended->sections.size(); ++s) {
      paths.push_back(SwitchPath(*extended, s));
    }
  }
  const CPatternSearch search(plan.patterns);
  std::uint64_t hits = 0;
  const auto onHit = [&](const CPatternSearch::Hit& hit) {
    for (const CWay& way : plan.ways[hit.pattern]) {
      const std::string path = extended != nullptr ? paths[way.section] : "";
      const auto dump = [&](std::span<const unsigned char> bytes) {
        std::string input = path;
        input.append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        std::ostringstream out;
        CTableConverter::DumpOptions options;
        options.tokens = true;
        converter.Dump(out,
                       {reinterpret_cast<const unsigned char*>(input.data()),
                        input.size()},
                       options);
        return out.str();
      };
      std::cout << HitOffset(hit.bytes.offset) << "  " << way.codes << "  ";
      if (extended != nullptr) {
        const std::string& name = extended->sections[way.section].name;
        if (!name.empty()) std::cout << '@' << name << "  ";
      }
      std::cout << ContextText(hit.bytes, dump) << '\n';
      ++hits;
    }
  };
  if (CStatus status = SearchRom(line,
                                 [&](std::istream& in, const auto& options) {
                                   return search.Search(in, options, onHit);
                                 });
      !status.IsOk()) {
    return status;
  }
  if (hits == 0) {
    std::cout << "No hit for \"" << line.searchText << "\"\n";
    if (CStatus flushed = FlushStandardOutput(); !flushed.IsOk())
      return flushed;
    return CStatus::Failure(kExitNoHit, "");
  }
  std::cout << Plural(hits, "hit", "hits") << '\n';
  return FlushStandardOutput();
}

}  // namespace

CStatus RunTableSearch(const CCommandLine& line) {
  if (line.searchText.empty()) {
    return CStatus::Failure(kExitError, "TEXT is empty");
  }
  std::unique_ptr<CCodeTable> plain;
  std::unique_ptr<CTableConverter> converter;
  std::vector<CSpellingSource> sources;
  if (line.tableSyntax == TableSyntax::kPlain) {
    if (CStatus status = LoadTable(line, nullptr, &plain); !status.IsOk()) {
      return status;
    }
    converter = std::make_unique<CTableConverter>(*plain);
    sources.push_back({0, SpellingPieces(*plain)});
  } else {
    if (CStatus status = LoadConverter(line, &converter); !status.IsOk()) {
      return status;
    }
    const CExtendedTable& table = *converter->Extended();
    sources.push_back({table.start, SpellingPieces(table, table.start)});
    for (std::uint32_t s = 0; s < table.sections.size(); ++s) {
      if (s != table.start) sources.push_back({s, SpellingPieces(table, s)});
    }
  }
  const CPlan plan = MakePlan(line.searchText, sources);
  if (plan.patterns.empty()) {
    return CStatus::Failure(
        kExitError, plan.cuts == 0
                        ? NoSpelling(line.searchText, plan.reach)
                        : "The spellings of \"" + line.searchText +
                              "\" take more than " +
                              std::to_string(CTextSpellings::kMaxBytes) +
                              " bytes, more than one search looks for");
  }
  if (plan.capped) {
    std::cerr << "Note: \"" << line.searchText << "\" has "
              << (plan.cuts == UINT64_MAX
                      ? "more than " + std::to_string(UINT64_MAX - 1)
                      : std::to_string(plan.cuts))
              << " spellings through the table; only the first " << plan.listed
              << " are searched" << std::endl;
  }
  return RunSpellingSearch(line, *converter, plan);
}

}  // namespace dalvren
