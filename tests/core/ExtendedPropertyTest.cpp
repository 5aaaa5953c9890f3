// The lossless promise of the extended syntax on thousands of random tables
// that meet its condition, and the two ways dump and insert run (the plain
// translation for tables without state, the general one otherwise) agreeing
// on everything.
#include <iostream>
#include <sstream>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "core/Ambiguity.h"
#include "core/Lossless.h"
#include "tests/support/ExtendedTestSupport.h"
#include "tests/support/RandomExtendedTable.h"

namespace dalvren {
namespace {

using test::AsBytes;
using test::DumpToString;
using test::HexOfBytes;
using test::InsertToString;
using test::RandomTable;

std::unique_ptr<CExtendedTable> LoadQuietly(const std::string& file) {
  std::streambuf* saved = std::cerr.rdbuf(nullptr);
  auto table = test::LoadExtendedFromString(file);
  std::cerr.rdbuf(saved);
  return table;
}

std::string Explain(const RandomTable& random, const std::string& rom,
                    const std::string& script, const std::string& inserted) {
  return "table:\n" + random.file + "rom: " + HexOfBytes(rom) +
         "\nscript: " + testing::PrintToString(script) +
         "\ninserted: " + HexOfBytes(inserted);
}

// Checks the promise for one ROM; returns false (with a failure) when it
// does not hold. A search that ran out of tries is counted in `*exhausted`
// and not held to the promise.
bool KeepsPromise(const CExtendedTable& table, const RandomTable& random,
                  const std::string& rom, CExtendedInsertOptions options,
                  int* exhausted, bool sameBytes) {
  const std::string script = DumpToString(table, rom);
  bool ranOut = false;
  options.onInexact = [&ranOut](std::size_t, bool outOfTries) {
    ranOut = ranOut || outOfTries;
  };
  const test::Inserted inserted = InsertToString(table, script, options);
  if (ranOut) {
    ++*exhausted;
    return true;
  }
  if (!inserted.ok) {
    ADD_FAILURE() << "insert failed at " << inserted.fault.offset << "\n"
                  << Explain(random, rom, script, inserted.bytes);
    return false;
  }
  if (sameBytes && inserted.bytes != rom) {
    ADD_FAILURE() << "other bytes\n"
                  << Explain(random, rom, script, inserted.bytes);
    return false;
  }
  const std::string again = DumpToString(table, inserted.bytes);
  if (again != script) {
    ADD_FAILURE() << "other script " << testing::PrintToString(again) << "\n"
                  << Explain(random, rom, script, inserted.bytes);
    return false;
  }
  return true;
}

TEST(ExtendedPromise, DumpsOfRandomRomsInsertBackThroughRandomTables) {
  test::CRandomTables random(20240611);
  int failures = 0;
  int withSwitches = 0;
  int exhausted = 0;
  for (int t = 0; t < 3000 && failures < 3; ++t) {
    const bool switches = t % 3 != 0;
    const RandomTable made = random.Make(switches);
    const auto table = LoadQuietly(made.file);
    ASSERT_FALSE(FindAmbiguity(*table).has_value());
    withSwitches += table->HasSwitches() ? 1 : 0;
    for (int r = 0; r < 4; ++r) {
      if (!KeepsPromise(*table, made, random.Rom(made), test::WithTokens(),
                        &exhausted, !table->HasSwitches())) {
        ++failures;
        break;
      }
    }
  }
  // The generator must make the kind of table the promise is hardest for.
  EXPECT_GT(withSwitches, 1000);
  // These tables are small: the search must not run out of tries on them.
  EXPECT_EQ(exhausted, 0);
}

TEST(ExtendedPromise, TablesCheckCallsLosslessKeepItAndTheOthersShowWhyNot) {
  // Tables as they come, with texts that begin others and codes shared:
  // what the lossless judgement (check's) says of each must hold, with and
  // without --optimal, and its counterexamples must be real.
  test::CRandomTables random(31337);
  int bytes = 0;
  int script = 0;
  int no = 0;
  int failures = 0;
  int exhausted = 0;
  for (int t = 0; t < 600 && failures < 3; ++t) {
    const RandomTable made = random.Make(t % 3 != 0, false);
    const auto table = LoadQuietly(made.file);
    const CLosslessVerdict verdict = JudgeLossless(*table);
    if (verdict.kind == CLosslessVerdict::Kind::kNo) {
      ++no;
      EXPECT_EQ(DumpToString(*table, verdict.rom), verdict.script) << made.file;
      const test::Inserted inserted =
          InsertToString(*table, verdict.script, test::WithTokens());
      EXPECT_EQ(HexOfBytes(inserted.bytes), HexOfBytes(verdict.inserted))
          << made.file;
      EXPECT_NE(inserted.bytes, verdict.rom) << made.file;
      continue;
    }
    const bool sameBytes = verdict.kind == CLosslessVerdict::Kind::kBytes;
    ++(sameBytes ? bytes : script);
    for (int r = 0; r < 4; ++r) {
      CExtendedInsertOptions options = test::WithTokens();
      options.optimal = r % 2 == 1;
      if (!KeepsPromise(*table, made, random.Rom(made), options, &exhausted,
                        sameBytes)) {
        ++failures;
        break;
      }
    }
  }
  // Each verdict must come up often enough to mean something.
  EXPECT_GT(bytes, 250);
  EXPECT_GT(script, 150);
  EXPECT_GT(no, 30);
  EXPECT_EQ(exhausted, 0);
}

TEST(ExtendedPromise, CommittingEarlyNeverBreaksAnExactReading) {
  // With room for only two open choices and a few held steps, the search
  // commits to old choices as it goes. It may then miss the reading that
  // dumps back exactly and read greedily instead, and says so; but whatever
  // it wrote without saying so must dump back exactly.
  test::CRandomTables random(77);
  CExtendedInsertOptions options = test::WithTokens();
  options.openChoices = 2;
  options.heldSteps = 8;
  bool inexact = false;
  options.onInexact = [&inexact](std::size_t, bool) { inexact = true; };
  int cases = 0;
  int exact = 0;
  for (int t = 0; t < 1000; ++t) {
    const RandomTable made = random.Make(true);
    const auto table = LoadQuietly(made.file);
    for (int r = 0; r < 3; ++r) {
      const std::string rom = random.Rom(made);
      const std::string script = DumpToString(*table, rom);
      inexact = false;
      const test::Inserted inserted = InsertToString(*table, script, options);
      ASSERT_TRUE(inserted.ok);
      ++cases;
      if (inexact) continue;
      ++exact;
      ASSERT_EQ(DumpToString(*table, inserted.bytes), script)
          << Explain(made, rom, script, inserted.bytes);
    }
  }
  EXPECT_GT(exact, cases * 9 / 10);
}

TEST(ExtendedPromise, ACharacterNoTableHasIsDroppedWithoutDisturbingTheRest) {
  // Typed into a script, such a character leaves everything around it as
  // it was and is the one byte dropped; insert does not go looking for a
  // reading that cannot exist (which would take it a million tries).
  test::CRandomTables random(5);
  CExtendedInsertOptions options = test::WithTokens();
  bool inexact = false;
  options.onInexact = [&inexact](std::size_t, bool) { inexact = true; };
  std::vector<std::size_t> skipped;
  options.onSkip = [&skipped](std::size_t offset) {
    skipped.push_back(offset);
  };
  for (int t = 0; t < 300; ++t) {
    const RandomTable made = random.Make(true);
    const auto table = LoadQuietly(made.file);
    const std::string script = DumpToString(*table, random.Rom(made));
    bool cutShort = false;
    options.onShortParameters = [&cutShort](std::size_t, std::size_t,
                                            std::size_t) { cutShort = true; };
    const test::Inserted clean = InsertToString(*table, script, options);
    const std::string again = DumpToString(*table, clean.bytes);
    ASSERT_EQ(again, script) << made.file;
    // Where a reading is sure to stand between two codes: at the start, and
    // at the end unless a control code's parameters are cut short there.
    for (const std::size_t cut : {std::size_t{0}, script.size()}) {
      if (cut > 0 && cutShort) continue;
      std::string edited = script;
      edited.insert(cut, 1, '\x01');
      inexact = false;
      skipped.clear();
      const test::Inserted typed = InsertToString(*table, edited, options);
      EXPECT_FALSE(inexact) << made.file << testing::PrintToString(edited);
      EXPECT_EQ(skipped, std::vector<std::size_t>{cut})
          << made.file << testing::PrintToString(edited);
      EXPECT_EQ(DumpToString(*table, typed.bytes), script)
          << made.file << testing::PrintToString(edited);
    }
  }
}

// Random scripts: pieces of words, stray characters and tokens, as an
// edited script may hold them.
std::string RandomScript(test::CRandomTables& random) {
  static const char* const kPieces[] = {
      "a",     "b",     "ab",    "ア",  "\n", "[E]",  "<", "$",
      "<$10>", "<$f0>", "<$FF>", "<a>", "x",  "\r\n", "é", "<$1"};
  std::string script;
  const std::uint32_t pieces = random.Below(30);
  for (std::uint32_t i = 0; i < pieces; ++i)
    script += kPieces[random.Below(16)];
  return script;
}

TEST(ExtendedPaths, PlainTranslationAndTheGeneralOneAgreeWhereBothApply) {
  // A switch code to an empty section makes the general path of dump run
  // on a table that otherwise means the same; the ROMs never hold that
  // code. Insert runs its search on the simple table itself, which must
  // give what the plain translation gives wherever that dumps back.
  test::CRandomTables random(99);
  for (int t = 0; t < 1500; ++t) {
    const RandomTable made = random.Make(false);
    const auto simple = LoadQuietly(made.file);
    if (!simple->Simple()) continue;
    std::string general = made.file;
    const std::size_t section = general.find("\n@");
    general.insert(section == std::string::npos ? general.size() : section + 1,
                   "!EE=Void,0\n");
    general += "@Void\n";
    const auto stateful = LoadQuietly(general);
    ASSERT_FALSE(stateful->Simple()) << general;
    for (int r = 0; r < 3; ++r) {
      const std::string rom = random.Rom(made);
      for (const bool tokens : {false, true}) {
        ASSERT_EQ(DumpToString(*simple, rom, tokens),
                  DumpToString(*stateful, rom, tokens))
            << made.file << HexOfBytes(rom);
      }
      const std::string script = RandomScript(random);
      for (const bool tokens : {false, true}) {
        CExtendedInsertOptions options;
        options.tokens = tokens;
        std::string skipped;
        options.onSkip = [&skipped](std::size_t offset) {
          skipped += std::to_string(offset) + " ";
        };
        // The same on the table with the switch code, where the plain
        // reading is tried before the search.
        for (const auto* table : {simple.get(), stateful.get()}) {
          options.plainFirst = true;
          const test::Inserted a = InsertToString(*table, script, options);
          const std::string skippedByPlain = std::exchange(skipped, "");
          options.plainFirst = false;
          const test::Inserted b = InsertToString(*table, script, options);
          ASSERT_TRUE(a.ok);
          ASSERT_TRUE(b.ok);
          ASSERT_EQ(HexOfBytes(a.bytes), HexOfBytes(b.bytes))
              << made.file << testing::PrintToString(script);
          ASSERT_EQ(skippedByPlain, skipped);
          skipped.clear();
        }
      }
    }
  }
}

}  // namespace
}  // namespace dalvren
