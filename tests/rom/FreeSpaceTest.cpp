#include <cstdint>
#include <optional>

#include <gtest/gtest.h>

#include "rom/FreeSpace.h"

namespace dalvren {
namespace {

using Zone = CPointerFormat::Zone;

// Reaches everything.
std::optional<Zone> Anywhere(std::uint64_t from) {
  return Zone{from, UINT64_MAX};
}

// Reaches banks of 0x100 bytes, strings never crossing one.
std::optional<Zone> Banks(std::uint64_t from) {
  return Zone{from, (from / 0x100 + 1) * 0x100};
}

TEST(FreeSpace, TakesTheFirstFitInTheOrderRangesWereAdded) {
  CFreeSpace space;
  space.Add(0x500, 0x510);
  space.Add(0x100, 0x140);
  space.Add(0x200, 0x200);  // empty: ignored
  EXPECT_EQ(space.Total(), 0x50u);
  EXPECT_EQ(space.Take(0x20, Anywhere), 0x100u);  // the first is too short
  EXPECT_EQ(space.Take(0x10, Anywhere), 0x500u);
  EXPECT_EQ(space.Take(0x10, Anywhere), 0x120u);
  EXPECT_EQ(space.Take(0x11, Anywhere), std::nullopt);
  EXPECT_EQ(space.Left(), 0x10u);
  EXPECT_EQ(space.LargestRun(Anywhere), 0x10u);
  EXPECT_EQ(space.Take(0x10, Anywhere), 0x130u);
  EXPECT_EQ(space.Left(), 0u);
  EXPECT_EQ(space.Take(1, Anywhere), std::nullopt);
}

TEST(FreeSpace, PlacesOnlyWhereTheReachAllowsAndKeepsThePieceBefore) {
  CFreeSpace space;
  space.Add(0xF0, 0x220);
  // 0x20 bytes cross the bank boundary at 0x100 from 0xF0; the first place
  // in one bank is 0x100.
  EXPECT_EQ(space.Take(0x20, Banks), 0x100u);
  // What lay before the string is still free, and taken first.
  EXPECT_EQ(space.Take(0x10, Banks), 0xF0u);
  EXPECT_EQ(space.LargestRun(Banks), 0xE0u);
  EXPECT_EQ(space.Take(0xE1, Banks), std::nullopt);
  const auto nowhere = [](std::uint64_t) { return std::optional<Zone>(); };
  EXPECT_EQ(space.Take(1, nowhere), std::nullopt);
  EXPECT_EQ(space.LargestRun(nowhere), 0u);
}

}  // namespace
}  // namespace dalvren
