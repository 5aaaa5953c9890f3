// extract and build through the built converter, on generated ROMs of every
// pointer format in both table syntaxes: an unedited script builds the very
// ROM it came from, and an edited one builds a ROM where every pointer leads
// to its string's new text and nothing else changed.
#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "rom/ScriptReader.h"
#include "tests/cli/RomMaker.h"
#include "tests/cli/ToolRunner.h"

namespace dalvren {
namespace {

using test::GeneratedRom;
using test::ReadFile;
using test::RomString;
using test::RomSyntax;
using test::RunTool;
using test::TempDir;
using test::ToolResult;

// ROMs per syntax; each runs extract and two builds.
// Under AddressSanitizer every process starts several times slower, and
// half the ROMs still meet every path.
#if defined(__SANITIZE_ADDRESS__)
constexpr unsigned kRounds = 50;
#else
constexpr unsigned kRounds = 100;
#endif

std::vector<std::string> Args(const RomSyntax& syntax, const std::string& table,
                              std::vector<std::string> more) {
  std::vector<std::string> args = syntax.Options(table);
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

// The script has one section for each string a pointer leads to or the
// #TEXT block holds, with its offset, length, pointers and text.
void ExpectScriptOf(const GeneratedRom& g, const RomSyntax& syntax,
                    const std::string& file) {
  CScript script;
  ASSERT_TRUE(ReadScript(file, &script).IsOk()) << file;
  std::map<std::uint64_t, const CScript::String*> sections;
  for (const CScript::String& s : script.strings) sections[s.offset] = &s;
  std::map<std::size_t, std::vector<std::uint64_t>> from;
  for (std::uint64_t k = 0; k < g.slots; ++k) {
    if (g.slotString[k]) {
      from[*g.slotString[k]].push_back(g.tableStart + k * g.pointers.stride);
    }
  }
  std::size_t expected = 0;
  for (std::size_t i = 0; i < g.strings.size(); ++i) {
    const RomString& s = g.strings[i];
    if (!s.inText && from.count(i) == 0) continue;
    ++expected;
    const auto it = sections.find(s.offset);
    ASSERT_NE(it, sections.end()) << "no section for " << s.offset;
    const CScript::String& section = *it->second;
    EXPECT_EQ(section.length, s.bytes.size()) << s.offset;
    const auto read = script.From(section);
    EXPECT_EQ(std::vector<std::uint64_t>(read.begin(), read.end()), from[i])
        << s.offset;
    std::string text;
    for (const test::RomUnit& u : s.units) text += u.text;
    EXPECT_EQ(section.text, s.ends ? text + syntax.End().text : text)
        << s.offset;
  }
  EXPECT_EQ(script.strings.size(), expected);
}

// The texts a translator gives the strings: some kept, some longer, shorter,
// emptied, or the same as another's. #TEXT strings never grow.
std::map<std::uint64_t, std::vector<test::RomUnit>> Edits(
    const GeneratedRom& g, const RomSyntax& syntax, std::mt19937& random) {
  std::map<std::uint64_t, std::vector<test::RomUnit>> edits;
  std::vector<std::vector<test::RomUnit>> given;
  for (const RomString& s : g.strings) {
    const unsigned pick = random() % 6;
    if (!s.ends || pick < 2) continue;
    std::vector<test::RomUnit> units = s.units;
    if (pick == 2 && !s.inText) {
      for (unsigned n = 1 + random() % 10; n > 0; --n) {
        units.push_back(syntax.Unit(random));
      }
    } else if (pick == 3 || (pick == 2 && s.inText)) {
      units.resize(units.size() / 2);
    } else if (pick == 4) {
      units.clear();
    } else if (!given.empty() && !s.inText) {
      units = given[random() % given.size()];
    }
    given.push_back(units);
    edits[s.offset] = units;
  }
  return edits;
}

// What the edited builds did, over all rounds, so that the test shows it
// reached relocation, sharing and bank boundaries at all.
struct Seen {
  std::size_t moved = 0;
  std::size_t shared = 0;
  std::size_t movedUnderBanks = 0;
};

// Checks the edited ROM `after` built from `g`: every pointer leads to its
// string's new text, #TEXT strings hold theirs in place, moved strings lie
// in one bank and in the window, moved strings with the same text share one
// copy, the bytes strings no longer use are padded, and every other byte is
// as it was.
void ExpectEdited(
    const GeneratedRom& g, const RomSyntax& syntax,
    const std::map<std::uint64_t, std::vector<test::RomUnit>>& edits,
    const std::set<std::size_t>& extracted, const std::string& after,
    Seen& seen) {
  ASSERT_EQ(after.size(), g.rom.size());
  const auto textOf = [&](std::size_t i) {
    const RomString& s = g.strings[i];
    const auto e = edits.find(s.offset);
    return test::TextOf(e == edits.end() ? s.units : e->second, syntax);
  };
  std::vector<bool> free(after.size(), false);
  std::vector<bool> used(after.size(), false);
  // Each moved text: where it went, and the first string that went there.
  std::map<std::string, std::pair<std::uint64_t, std::size_t>> movedCopies;
  const test::RomPointers& p = g.pointers;
  for (std::uint64_t k = 0; k < g.slots; ++k) {
    const std::uint64_t at = g.tableStart + k * p.stride;
    for (unsigned b = 0; b < p.size; ++b) free[at + b] = true;
    if (!g.slotString[k]) continue;
    const std::size_t i = *g.slotString[k];
    const std::uint64_t target = p.Target(p.Read(after, at), at);
    std::uint64_t length = 0;
    ASSERT_LT(target, after.size()) << "slot " << k;
    const auto text = syntax.Read(after, target, &length);
    ASSERT_TRUE(text) << "slot " << k;
    EXPECT_EQ(*text, textOf(i)) << "slot " << k << " at " << target;
    for (std::uint64_t b = target; b < target + length; ++b) used[b] = true;
    if (target == g.strings[i].offset) continue;
    ++seen.moved;
    if (p.BankSize() != 0) {
      seen.movedUnderBanks += p.size > 2 ? 1 : 0;
      const auto bank = [&](std::uint64_t o) {
        return (o - static_cast<std::uint64_t>(p.add)) / p.BankSize();
      };
      EXPECT_EQ(bank(target), bank(target + length - 1)) << "slot " << k;
    }
    if (p.window) {
      EXPECT_GE(target, p.window->first);
      EXPECT_LE(target + length - 1, p.window->second);
    }
    const auto [copy, added] = movedCopies.try_emplace(*text, target, i);
    if (!added && copy->second.second != i) ++seen.shared;
    EXPECT_EQ(copy->second.first, target)
        << "moved copies of \"" << *text << "\"";
    for (std::uint64_t b = target; b < target + length; ++b) free[b] = true;
  }
  for (const std::size_t i : extracted) {
    const RomString& s = g.strings[i];
    for (std::uint64_t b = s.offset; b < s.offset + s.bytes.size(); ++b) {
      free[b] = true;
    }
    if (!s.inText) continue;
    if (!s.ends) {
      EXPECT_EQ(after.substr(s.offset, s.bytes.size()), s.bytes);
      for (std::uint64_t b = s.offset; b < s.offset + s.bytes.size(); ++b)
        used[b] = true;
      continue;
    }
    std::uint64_t length = 0;
    const auto text = syntax.Read(after, s.offset, &length, g.textEnd + 1);
    ASSERT_TRUE(text);
    EXPECT_EQ(*text, textOf(i)) << "#TEXT string at " << s.offset;
    for (std::uint64_t b = s.offset; b < s.offset + length; ++b) used[b] = true;
  }
  for (const std::size_t i : extracted) {
    const RomString& s = g.strings[i];
    for (std::uint64_t b = s.offset; b < s.offset + s.bytes.size(); ++b) {
      if (!used[b]) {
        EXPECT_EQ(static_cast<unsigned char>(after[b]), 0xFF) << "pad at " << b;
      }
    }
  }
  for (std::uint64_t b = 0; b < after.size(); ++b) {
    if (!free[b] && !(b >= g.freeStart && b <= g.freeEnd)) {
      ASSERT_EQ(after[b], g.rom[b]) << "byte " << b << " changed";
    }
  }
}

class RomScripts : public testing::TestWithParam<bool> {};

TEST_P(RomScripts, UneditedBuildsTheSameRomAndEditsLandWherePointersLead) {
  const RomSyntax syntax(GetParam());
  TempDir dir;
  const std::string table = dir.Write("table.tbl", syntax.TableFile());
  std::mt19937 random(GetParam() ? 77 : 78);
  Seen seen;
  for (unsigned round = 0; round < kRounds; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const GeneratedRom g = test::MakeRom(syntax, 9000 + round, round);
    const std::string rom = dir.Write("game.rom", g.rom);
    const std::string layout = dir.Write("layout.txt", g.layout);
    const ToolResult extracted =
        RunTool(Args(syntax, table, {"extract", layout, rom}));
    ASSERT_EQ(extracted.status, 0) << extracted.err << g.layout;
    ExpectScriptOf(g, syntax, extracted.out);
    if (std::count(g.slotString.begin(), g.slotString.end(), std::nullopt) >
        0) {
      EXPECT_NE(extracted.err.find("past the end of the ROM; skipped"),
                std::string::npos)
          << extracted.err;
    }
    const std::string script = dir.Write("script.txt", extracted.out);
    const std::string same = dir.Path("same.rom");
    const ToolResult built =
        RunTool(Args(syntax, table, {"build", "-o", same, script, rom}));
    ASSERT_EQ(built.status, 0) << built.err;
    ASSERT_EQ(ReadFile(same), g.rom);

    CScript parsed;
    ASSERT_TRUE(ReadScript(extracted.out, &parsed).IsOk());
    std::set<std::size_t> extractedStrings;
    for (std::size_t i = 0; i < g.strings.size(); ++i) {
      for (const CScript::String& s : parsed.strings) {
        if (s.offset == g.strings[i].offset) extractedStrings.insert(i);
      }
    }
    const auto edits = Edits(g, syntax, random);
    std::string edited = extracted.out;
    for (const auto& [offset, units] : edits) {
      edited = test::ReplaceText(edited, offset, test::TextOf(units, syntax));
    }
    const std::string after = dir.Path("after.rom");
    const ToolResult rebuilt = RunTool(
        Args(syntax, table,
             {"build", "-o", after, dir.Write("edited.txt", edited), rom}));
    ASSERT_EQ(rebuilt.status, 0) << rebuilt.err << g.layout << edited;
    ExpectEdited(g, syntax, edits, extractedStrings, ReadFile(after), seen);
    if (HasFatalFailure()) return;
  }
  EXPECT_GT(seen.moved, kRounds);
  EXPECT_GT(seen.shared, kRounds / 20);
  EXPECT_GT(seen.movedUnderBanks, kRounds / 10);
}

INSTANTIATE_TEST_SUITE_P(BothSyntaxes, RomScripts, testing::Values(false, true),
                         [](const auto& info) {
                           return info.param ? "Extended" : "Plain";
                         });

}  // namespace
}  // namespace dalvren
