// The table report as the core writes it, apart from any program: the guess
// at a character set through conversions its caller hands in.
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "core/TableReport.h"
#include "tests/support/FakeCharsets.h"

namespace dalvren {
namespace {

using test::FakeSets;

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
