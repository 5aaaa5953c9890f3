// The condition under which an extended table can be read back: each kind
// of entry pair that breaks it, found and named, and tables that meet it.
#include <string>

#include <gtest/gtest.h>

#include "core/Ambiguity.h"
#include "tests/support/ExtendedTestSupport.h"

namespace dalvren {
namespace {

using Kind = CAmbiguity::Kind;

struct AmbiguityCase {
  const char* file;
  bool ambiguous;
  Kind kind = Kind::kCodePrefix;
  // The lines of the two entries named.
  std::size_t first = 0;
  std::size_t second = 0;
};

// Finds what `c` says of its table: no ambiguity, or the kind and the lines
// of the pair of entries that breaks the condition.
void ExpectFound(const AmbiguityCase& c) {
  SCOPED_TRACE(c.file);
  const auto table = test::LoadExtendedFromString(c.file);
  const auto found = FindAmbiguity(*table);
  ASSERT_EQ(found.has_value(), c.ambiguous) << c.file;
  if (!found) return;
  EXPECT_EQ(found->kind, c.kind) << c.file;
  EXPECT_EQ(table->entries[found->first].line, c.first) << c.file;
  EXPECT_EQ(table->entries[found->second].line, c.second) << c.file;
  EXPECT_EQ(table->entries[found->first].section, found->section);
}

TEST(FindAmbiguity, TableOfEveryKindOfEntryCanBeReadBack) {
  ExpectFound({"41=A\n42=B\n8283=ab\n*FE\n/FF=[END]\n/FD\n$F5=<c>,1\n", false});
}

TEST(FindAmbiguity, CodeThatBeginsAnotherWhateverTheirKinds) {
  const AmbiguityCase cases[] = {
      {"41=A\n4142=B\n", true, Kind::kCodePrefix, 1, 2},
      {"!F0=K,0\nF001=B\n@K\n", true, Kind::kCodePrefix, 1, 2},
      {"$F5=<c>,1\n*F5FE\n", true, Kind::kCodePrefix, 1, 2},
  };
  for (const AmbiguityCase& c : cases) ExpectFound(c);
}

// After "\n" is read as a line break.
TEST(FindAmbiguity, WordThatBeginsAnother) {
  const AmbiguityCase cases[] = {
      {"41=a\n42=ab\n", true, Kind::kWordPrefix, 1, 2},
      {"*FE\n41=\\nx\n", true, Kind::kWordPrefix, 1, 2},
      {"/FF=E\n41=E\\n\n", true, Kind::kWordPrefix, 1, 2},
      {"$F5=<c,0\n41=<c>\n", true, Kind::kWordPrefix, 1, 2},
  };
  for (const AmbiguityCase& c : cases) ExpectFound(c);
}

TEST(FindAmbiguity, TwoCodesThatShareAWord) {
  const AmbiguityCase cases[] = {
      {"41=a\n42=a\n", true, Kind::kSameWord, 1, 2},
      {"*FE\n0A=\\n\n", true, Kind::kSameWord, 1, 2},
  };
  for (const AmbiguityCase& c : cases) ExpectFound(c);
}

// Dump drops a code whose text is empty.
TEST(FindAmbiguity, CodeWithAnEmptyText) {
  ExpectFound({"41=\n42=B\n", true, Kind::kEmptyText, 1, 1});
}

TEST(FindAmbiguity, TextThatStartsWithAToken) {
  const AmbiguityCase cases[] = {
      {"41=<$42>x\n", true, Kind::kTokenWord, 1, 1},
      // Tokens of other bytes are not an end code's spelling: dump writes
      // them for bytes that no code covers, and insert would read the end
      // code.
      {"0A=\\n\n61=a\n/0102=<$41><$61>\n", true, Kind::kTokenWord, 3, 3},
      {"/0102=<$41>abcde\n", true, Kind::kTokenWord, 1, 1},
  };
  for (const AmbiguityCase& c : cases) ExpectFound(c);
}

TEST(FindAmbiguity, TextsThatSpellAToken) {
  const AmbiguityCase cases[] = {
      {"41=<\n42=$\n43=4\n44=>\n", true, Kind::kTokenSpelled, 1, 4},
      {"41=<$\n42=41>\n", true, Kind::kTokenSpelled, 1, 2},
      // "<" alone, or "<" and "$" without digits, spell nothing.
      {"41=<\n42=$\n43=x\n44=>\n", false},
  };
  for (const AmbiguityCase& c : cases) ExpectFound(c);
}

// An end code spelled by its own tokens is meant to be one.
TEST(FindAmbiguity, EndCodeSpelledByItsOwnTokensIsNone) {
  const AmbiguityCase cases[] = {
      {"/FD\n/FE00\n", false},
      {"/FD=<$fd>\n", false},
  };
  for (const AmbiguityCase& c : cases) ExpectFound(c);
}

// The same code or text in two sections is fine.
TEST(FindAmbiguity, SectionsAreReadApart) {
  const AmbiguityCase cases[] = {
      {"41=A\n!F0=K,0\n@K\n41=A\n4142=x\n", true, Kind::kCodePrefix, 4, 5},
      {"41=A\n!F0=K,0\n@K\n41=A\n", false},
  };
  for (const AmbiguityCase& c : cases) ExpectFound(c);
}

// A text replaced by a later line is gone, and so is its code when a later
// line took both; a code replaced in dump alone still inserts, and counts.
TEST(FindAmbiguity, ReplacedEntriesCountOnlyWhereTheyStillRead) {
  const AmbiguityCase cases[] = {
      {"41=a\n41=b\n42=a\n", false},
      {"41=a\n41=b\n42=ab\n", true, Kind::kWordPrefix, 1, 3},
  };
  for (const AmbiguityCase& c : cases) ExpectFound(c);
}

}  // namespace
}  // namespace dalvren
