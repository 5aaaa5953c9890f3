#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "rom/PointerFormat.h"

namespace dalvren {
namespace {

using Map = CPointerFormat::Map;

CPointerFormat Format(unsigned size, bool bigEndian, std::int64_t add = 0,
                      Map map = Map::kNone,
                      std::optional<std::uint8_t> bank = std::nullopt) {
  CPointerFormat f;
  f.size = size;
  f.bigEndian = bigEndian;
  f.stride = size;
  f.add = add;
  f.map = map;
  f.bank = bank;
  return f;
}

TEST(PointerFormat, ReadsAndWritesEachByteOrder) {
  const struct {
    unsigned size;
    bool bigEndian;
    std::vector<unsigned char> bytes;
    std::uint64_t value;
  } cases[] = {
      {2, false, {0x34, 0x12}, 0x1234},
      {2, true, {0x12, 0x34}, 0x1234},
      {3, false, {0x56, 0x34, 0x12}, 0x123456},
      {3, true, {0x12, 0x34, 0x56}, 0x123456},
      {4, false, {0x78, 0x56, 0x34, 0x12}, 0x12345678},
      {4, true, {0x12, 0x34, 0x56, 0x78}, 0x12345678},
  };
  for (const auto& c : cases) {
    const CPointerFormat f = Format(c.size, c.bigEndian);
    std::vector<unsigned char> rom(c.size + 2, 0xEE);
    f.Write(rom, 1, c.value);
    EXPECT_EQ(std::vector<unsigned char>(rom.begin() + 1, rom.end() - 1),
              c.bytes)
        << c.size << c.bigEndian;
    EXPECT_EQ(rom.front(), 0xEE);
    EXPECT_EQ(rom.back(), 0xEE);
    EXPECT_EQ(f.Read(rom, 1), c.value);
  }
}

TEST(PointerFormat, MapsValuesAsConsolesAndHeadersPlaceThem) {
  CPointerFormat relative = Format(2, false, -2);
  relative.relative = true;
  const struct {
    const char* name;
    CPointerFormat format;
    std::uint64_t value;
    std::uint64_t at;
    std::optional<std::uint64_t> offset;
  } cases[] = {
      {"header before bank 8000", Format(2, false, -0x7FF0), 0x8000, 0, 0x10},
      {"GBA", Format(4, false, -0x8000000), 0x8001234, 0, 0x1234},
      {"below offset 0", Format(2, false, -0x8000), 0x10, 0, std::nullopt},
      {"relative", relative, 0x20, 0x100, 0x11E},
      {"LoROM", Format(3, false, 0, Map::kLoRom), 0x808000, 0, 0},
      {"LoROM bank 1", Format(3, false, 0, Map::kLoRom), 0x018000, 0, 0x8000},
      {"LoROM end of bank 0", Format(3, false, 0, Map::kLoRom), 0xFFFF, 0,
       0x7FFF},
      {"LoROM lower half", Format(3, false, 0, Map::kLoRom), 0x7FFF, 0,
       std::nullopt},
      {"LoROM work RAM", Format(3, false, 0, Map::kLoRom), 0x7E8000, 0,
       std::nullopt},
      {"LoROM mirror of 7E", Format(3, false, 0, Map::kLoRom), 0xFE8000, 0,
       0x3F0000},
      {"LoROM with copier header", Format(3, false, 0x200, Map::kLoRom),
       0x808000, 0, 0x200},
      {"LoROM 16-bit", Format(2, false, 0, Map::kLoRom, 0x02), 0x8123, 0,
       0x10123},
      {"LoROM 16-bit lower half", Format(2, false, 0, Map::kLoRom, 0x02),
       0x0123, 0, std::nullopt},
      {"LoROM bits above 24", Format(4, false, 0, Map::kLoRom), 0x01808000, 0,
       std::nullopt},
      {"HiROM", Format(3, true, 0, Map::kHiRom), 0xC12345, 0, 0x12345},
      {"HiROM bank 40", Format(3, true, 0, Map::kHiRom), 0x400000, 0, 0},
      {"HiROM bank 01 lower half", Format(3, true, 0, Map::kHiRom), 0x012345, 0,
       std::nullopt},
      {"HiROM bank 01 upper half", Format(3, true, 0, Map::kHiRom), 0x01C345, 0,
       0x1C345},
      {"HiROM work RAM", Format(3, true, 0, Map::kHiRom), 0x7F0000, 0,
       std::nullopt},
      {"HiROM 16-bit", Format(2, false, 0, Map::kHiRom, 0xC2), 0x1234, 0,
       0x21234},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.format.Target(c.value, c.at), c.offset) << c.name;
  }
}

// Every offset some value of a 16-bit pointer leads to, within the ROM and
// the window: the model the zones must cover exactly.
std::vector<bool> Reachable(const CPointerFormat& f, std::uint64_t at,
                            std::uint64_t romSize) {
  std::vector<bool> reach(romSize, false);
  for (std::uint64_t v = 0; v < 0x10000; ++v) {
    const std::optional<std::uint64_t> t = f.Target(v, at);
    if (!t || *t >= romSize) continue;
    if (f.window && (*t < f.window->start || *t >= f.window->end)) continue;
    reach[*t] = true;
  }
  return reach;
}

TEST(PointerFormat, ZonesOf16BitPointersAreExactlyTheOffsetsValuesReach) {
  CPointerFormat relative = Format(2, true, -2);
  relative.relative = true;
  CPointerFormat windowed = Format(2, false, 0x100);
  windowed.window = CPointerFormat::Zone{0x3000, 0x5000};
  const struct {
    const char* name;
    CPointerFormat format;
    std::uint64_t bankSize;
  } cases[] = {
      {"ADD", Format(2, false, -0x7FF0), 0},
      {"ADD up", Format(2, true, 0x1000), 0},
      {"relative", relative, 0},
      {"window", windowed, 0},
      {"LoROM bank 01", Format(2, false, 0, Map::kLoRom, 0x01), 0x8000},
      {"LoROM bank 81 with header", Format(2, false, 0x200, Map::kLoRom, 0x81),
       0x8000},
      {"HiROM bank 02", Format(2, false, 0, Map::kHiRom, 0x02), 0x10000},
      {"HiROM bank C2", Format(2, false, 0, Map::kHiRom, 0xC2), 0x10000},
      {"HiROM bank 41", Format(2, false, 0, Map::kHiRom, 0x41), 0x10000},
  };
  const std::uint64_t romSize = 0x30000;
  const std::uint64_t at = 0x5000;
  for (const auto& c : cases) {
    const std::vector<bool> model = Reachable(c.format, at, romSize);
    std::vector<bool> zones(romSize, false);
    for (std::uint64_t from = 0;;) {
      const auto zone = c.format.ZoneFrom(from, at, 0, romSize);
      if (!zone) break;
      ASSERT_GE(zone->start, from) << c.name;
      ASSERT_LT(zone->start, zone->end) << c.name;
      if (c.bankSize != 0) {
        const auto bank = [&](std::uint64_t o) {
          return (o - static_cast<std::uint64_t>(c.format.add)) / c.bankSize;
        };
        EXPECT_EQ(bank(zone->start), bank(zone->end - 1)) << c.name;
      }
      for (std::uint64_t o = zone->start; o < zone->end; ++o) {
        zones[o] = true;
        const std::uint64_t value = c.format.ValueFor(o, at, 0);
        ASSERT_LT(value, 0x10000u) << c.name << " " << o;
        ASSERT_EQ(c.format.Target(value, at), o) << c.name;
      }
      from = zone->end;
    }
    EXPECT_TRUE(zones == model) << c.name;
  }
}

// Wider pointers, sampled: a zone starts at or after where it was asked
// for, lies in one bank under a mapping, every offset in it is written as a
// value that leads back to it, and the bank's mirror bit of the old value
// is kept.
TEST(PointerFormat, WidePointersLeadBackToEveryOffsetOfTheirZones) {
  const struct {
    const char* name;
    CPointerFormat format;
    std::uint64_t old;
    std::uint64_t bankSize;
    std::uint64_t mirror;
  } cases[] = {
      {"LE24 ADD", Format(3, false, 0x10), 0, 0, 0},
      {"BE32 GBA", Format(4, true, -0x8000000), 0x8000000, 0, 0},
      {"LoROM slow", Format(3, false, 0, Map::kLoRom), 0x018000, 0x8000, 0},
      {"LoROM fast", Format(3, false, 0x200, Map::kLoRom), 0x818000, 0x8000,
       0x80},
      {"HiROM C0", Format(3, true, 0, Map::kHiRom), 0xC10000, 0x10000, 0xC0},
      {"HiROM 00", Format(4, false, 0, Map::kHiRom), 0x018000, 0x10000, 0},
  };
  std::mt19937_64 random(5);
  const std::uint64_t romSize = 0x400000;
  for (const auto& c : cases) {
    for (int round = 0; round < 300; ++round) {
      const std::uint64_t from = random() % romSize;
      const auto zone = c.format.ZoneFrom(from, 0, c.old, romSize);
      if (!zone) continue;
      ASSERT_GE(zone->start, from) << c.name;
      ASSERT_LE(zone->end, romSize) << c.name;
      if (c.bankSize != 0) {
        const auto bank = [&](std::uint64_t o) {
          return (o - static_cast<std::uint64_t>(c.format.add)) / c.bankSize;
        };
        EXPECT_EQ(bank(zone->start), bank(zone->end - 1)) << c.name;
      }
      for (const std::uint64_t o :
           {zone->start, zone->end - 1,
            zone->start + (zone->end - zone->start) / 2}) {
        const std::uint64_t value = c.format.ValueFor(o, 0, c.old);
        ASSERT_EQ(c.format.Target(value, 0), o) << c.name << " " << o;
        ASSERT_LT(value, std::uint64_t{1} << (8 * c.format.size)) << c.name;
        if (c.format.map != Map::kNone) {
          EXPECT_EQ((value >> 16) & c.mirror, c.mirror) << c.name;
        }
      }
    }
  }
}

TEST(PointerFormat, NoZoneBeyondWhatAPointerHolds) {
  const CPointerFormat f = Format(2, false, 0x100);
  // Values 0 to FFFF reach 0x100 to 0x100FF.
  EXPECT_EQ(f.ZoneFrom(0x10100, 0, 0, 0x20000), std::nullopt);
  const auto zone = f.ZoneFrom(0, 0, 0, 0x20000);
  ASSERT_TRUE(zone);
  EXPECT_EQ(zone->start, 0x100u);
  EXPECT_EQ(zone->end, 0x10100u);
  // A 16-bit LoROM pointer reaches its own bank only.
  const CPointerFormat lo = Format(2, false, 0, Map::kLoRom, 0x01);
  EXPECT_EQ(lo.ZoneFrom(0x10000, 0, 0, 0x20000), std::nullopt);
}

}  // namespace
}  // namespace dalvren
