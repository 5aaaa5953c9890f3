// The table report as the core writes it, apart from any program: the guess
// at a character set through conversions its caller hands in.
#include <map>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "core/CharsetGuess.h"
#include "core/TableReport.h"

namespace dalvren {
namespace {

// Conversions from the sets named in `unreadable` only: a set reads a text
// that holds none of the bytes its entry lists, and makes it `output`.
CCharsetGuess::ConverterFor FakeSets(
    const std::map<std::string, std::string>& unreadable,
    const std::string& output = "ok") {
  return [unreadable, output](const std::string& name) {
    const auto it = unreadable.find(name);
    if (it == unreadable.end()) return CCharsetGuess::Converter();
    const std::string bad = it->second;
    return CCharsetGuess::Converter([bad, output](std::string& text) {
      if (text.find_first_of(bad) != std::string::npos) return false;
      text = output;
      return true;
    });
  };
}

TEST(CharsetGuess, PrefersTheEarliestSetThatReadsEveryText) {
  CCharsetGuess guess(FakeSets(
      {{"EUC-JP", "\x81"}, {"Shift_JIS", "\xA1"}, {"windows-1252", ""}}));
  EXPECT_EQ(guess.Tried(), "EUC-JP, Shift_JIS or windows-1252");
  EXPECT_EQ(guess.Guess(), "");
  guess.Observe("\xA1\xA2");
  EXPECT_EQ(guess.Guess(), "EUC-JP");
  guess.Observe("\x81\x40");
  EXPECT_EQ(guess.Guess(), "windows-1252");
}

TEST(CharsetGuess, RefusesASetThatGivesC1Controls) {
  CCharsetGuess guess(FakeSets({{"EUC-JP", ""}, {"CP932", ""}}, "\xC2\x85"));
  guess.Observe("\x85");
  EXPECT_EQ(guess.Guess(), "");
}

TEST(TableReport, WithoutConversionsMakesNoGuess) {
  std::istringstream in("41=A\n42=\xE9\n");
  std::ostringstream out;
  CTableReport report(out);
  const auto table = Load(in, report.Observer());
  report.Finish(*table);
  EXPECT_EQ(out.str(),
            "line 2: warning: text is not valid UTF-8 (E9)\n"
            "texts not valid UTF-8: no guess\n"
            "1 warning\n"
            "2 entries, 0 ignored lines, 0 cut lines, 0 aliases, 0 "
            "duplicates, 0 replacements\n");
}

TEST(TableReport, GuessesThroughTheConversionsGiven) {
  std::istringstream in("41=\xE9\n");
  std::ostringstream out;
  CTableReport report(out, FakeSets({{"Shift_JIS", "\xE9"}, {"CP932", ""}}));
  report.Run(in);
  EXPECT_NE(out.str().find("texts not valid UTF-8: looks like CP932; try "
                           "--table-encoding CP932\n"),
            std::string::npos)
      << out.str();
}

}  // namespace
}  // namespace dalvren
