#include <string>

#include <gtest/gtest.h>

#include "cli/SpacedHex.h"

namespace dalvren {
namespace {

using namespace std::string_literals;

TEST(SpacedHex, ShowsPairsAndMarksWhatIsLeftOut) {
  EXPECT_EQ(SpacedHex(""), "");
  EXPECT_EQ(SpacedHex("\x00\x0A\xFF"s), "00 0A FF");
  EXPECT_EQ(SpacedHex("ABCDE", 4), "41 42 43 44 ...");
  EXPECT_EQ(SpacedHex("ABCD", 4), "41 42 43 44");
}

}  // namespace
}  // namespace dalvren
