// Dump through extended tables, case by case: each kind of code, switches
// ending by count, at a byte their table does not cover and at the end of
// the input, nesting and control parameters.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/ExtendedTestSupport.h"

namespace dalvren {
namespace {

using test::DumpToString;
using test::Hex;
using test::HexOf;
using test::kGameTable;
struct DumpCase {
  const char* rom;  // hex
  const char* script;
};

TEST(DumpExtended, ReadsEachKindOfCodeAndFollowsSwitches) {
  const auto table = test::LoadExtendedFromString(kGameTable);
  const DumpCase cases[] = {
      {"41 42 20 41", "AB A"},
      {"41 FE 42", "A\nB"},
      // One line break after an end code, which ends the string.
      {"41 FF 42", "A[END]\nB"},
      {"FD FD", "<$FD>\n<$FD>\n"},
      {"F5 03 41 F5 FF", "<color><$03>A<color><$FF>"},
      {"F6 41", "<wait>A"},
      // An N = 0 switch lasts until a byte its table does not cover, which
      // the table it came from then reads...
      {"F0 41 42 FE 41", "アイ\nア"},
      {"F0 41 42 43 41", "アイ<$43>A"},
      {"F0 41 FF 41", "ア[END]\nA"},
      // ... or until the end of the input.
      {"F0 41 42", "アイ"},
      {"F0", ""},
      // N counts codes, switch codes too; a nested switch returns to the
      // table it came from, and a table that has run out of codes returns
      // at once.
      {"F1 41 41 41 42", "亜AB"},
      {"F0 41 F2 41 42 42", "ア唖イ"},
      {"F3 41 F2 41 41 42 41", "ア亜BA"},
      // A byte a counted table does not cover counts for nothing.
      {"F1 99 41 41 41", "<$99>亜A"},
      // Switched twice over, an uncovered byte leaves both N = 0 tables.
      {"F0 F0 41 43", "ア<$43>"},
      // An end code ends the string: the next one starts in the start
      // table, however deep the switches were.
      {"F0 F2 FC 41", "<k-end>\nA"},
      {"F0 F2 FC 41 FF", "<k-end>\nA[END]\n"},
  };
  for (const DumpCase& c : cases) {
    EXPECT_EQ(DumpToString(*table, Hex(c.rom)), c.script) << c.rom;
  }
}

TEST(DumpExtended, ParametersThatRunPastTheEndAreWrittenAndReported) {
  const auto table =
      test::LoadExtendedFromString("41=A\n$F5=<color>,1\n$F7=<move>,3\n");
  struct Short {
    const char* rom;
    const char* script;
    std::vector<std::size_t> reported;  // offset, have, need
  } cases[] = {
      {"41 F5", "A<color>", {1, 0, 1}},
      {"F7 01 02", "<move><$01><$02>", {0, 2, 3}},
      {"F7 01 02 03", "<move><$01><$02><$03>", {}},
  };
  for (const Short& c : cases) {
    std::vector<std::size_t> reported;
    CExtendedDumpOptions options;
    options.onShortParameters =
        [&reported](std::size_t offset, std::size_t have, std::size_t need) {
          reported = {offset, have, need};
        };
    std::ostringstream out;
    DumpExtended(*table, out, test::AsBytes(Hex(c.rom)), options);
    EXPECT_EQ(out.str(), c.script) << c.rom;
    EXPECT_EQ(reported, c.reported) << c.rom;
  }
}

TEST(DumpExtended, WithoutTokensUncoveredBytesAreSkippedButParametersStay) {
  const auto table = test::LoadExtendedFromString(kGameTable);
  EXPECT_EQ(DumpToString(*table, Hex("99 F5 03 FD 41"), false),
            "<color><$03><$FD>\nA");
}

}  // namespace
}  // namespace dalvren
