#include <gtest/gtest.h>

#include "core/CharsetGuess.h"
#include "tests/support/FakeCharsets.h"

namespace dalvren {
namespace {

using test::FakeSets;

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

}  // namespace
}  // namespace dalvren
