// The stack of sections that extended translation reads from.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/SwitchState.h"
#include "tests/support/ExtendedTestSupport.h"

namespace dalvren {
namespace {

using test::DumpToString;
TEST(SwitchState, AtMostSoManySwitchesAreInEffect) {
  const auto table =
      test::LoadExtendedFromString("41=A\n!F0=S,0\n@S\n!F0=S,0\n42=B\n");
  const CExtendedTable::Entry& zero = table->entries[1];
  ASSERT_EQ(zero.kind, EntryKind::kSwitch);
  CSwitchState state(table->start);
  for (int i = 0; i < 1000; ++i) state.Matched(zero);
  EXPECT_EQ(state.Frames().size(), CSwitchState::kMaxDepth + 1);
  // A run of switch codes as long as the ROM costs no more than that.
  const std::string rom = std::string(100000, '\xF0') + "\x42\x41";
  EXPECT_EQ(DumpToString(*table, rom), "BA");
}

}  // namespace
}  // namespace dalvren
