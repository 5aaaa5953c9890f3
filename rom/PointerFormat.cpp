#include "rom/PointerFormat.h"

#include <algorithm>

namespace dalvren {

namespace {

constexpr std::uint64_t kLoRomBank = 0x8000;
constexpr std::uint64_t kHiRomBank = 0x10000;

// Banks 7E and 7F are work RAM, in either mapping; their mirrors FE and FF
// are ROM. So the banks a pointer reaches without its mirror bit stop there.
constexpr std::uint64_t kLoRomBanks = 0x80;
constexpr std::uint64_t kLoRomBanksBelowRam = 0x7E;
constexpr std::uint64_t kHiRomBanks = 0x40;
constexpr std::uint64_t kHiRomBanksBelowRam = 0x3E;

}  // namespace

std::uint64_t CPointerFormat::Read(std::span<const unsigned char> rom,
                                   std::uint64_t at) const {
  std::uint64_t value = 0;
  for (unsigned i = 0; i < size; ++i) {
    const unsigned byte = bigEndian ? i : size - 1 - i;
    value = value << 8 | rom[at + byte];
  }
  return value;
}

void CPointerFormat::Write(std::span<unsigned char> rom, std::uint64_t at,
                           std::uint64_t value) const {
  for (unsigned i = 0; i < size; ++i) {
    const unsigned byte = bigEndian ? size - 1 - i : i;
    rom[at + byte] = static_cast<unsigned char>(value >> (8 * i));
  }
}

std::int64_t CPointerFormat::Base(std::uint64_t at) const {
  return add + (relative ? static_cast<std::int64_t>(at) : 0);
}

std::uint64_t CPointerFormat::BankOf(std::uint64_t old) const {
  return bank ? *bank : (old >> 16) & 0xFF;
}

std::optional<std::uint64_t> CPointerFormat::Target(std::uint64_t value,
                                                    std::uint64_t at) const {
  std::uint64_t mapped = value;
  if (map != Map::kNone) {
    if (value >> 24 != 0) return std::nullopt;
    const std::uint64_t bankByte = BankOf(value);
    const std::uint64_t low = value & 0xFFFF;
    if (map == Map::kLoRom) {
      if (low < 0x8000 || bankByte == 0x7E || bankByte == 0x7F) {
        return std::nullopt;
      }
      mapped = (bankByte & 0x7F) * kLoRomBank + (low - 0x8000);
    } else {
      if (bankByte == 0x7E || bankByte == 0x7F) return std::nullopt;
      if ((bankByte & 0x40) == 0 && low < 0x8000) return std::nullopt;
      mapped = (bankByte & 0x3F) * kHiRomBank + low;
    }
  }
  const std::int64_t offset = static_cast<std::int64_t>(mapped) + Base(at);
  if (offset < 0) return std::nullopt;
  return static_cast<std::uint64_t>(offset);
}

std::optional<CPointerFormat::Zone> CPointerFormat::MappedZoneFrom(
    std::uint64_t r, std::uint64_t old) const {
  if (map == Map::kNone) {
    const std::uint64_t end = std::uint64_t{1} << (8 * size);
    if (r >= end) return std::nullopt;
    return Zone{r, end};
  }
  const std::uint64_t bankByte = BankOf(old);
  const bool lo = map == Map::kLoRom;
  const std::uint64_t bankSize = lo ? kLoRomBank : kHiRomBank;
  // Only the upper half of HiROM banks 00-3F and 80-BF holds ROM.
  const std::uint64_t skip = !lo && (bankByte & 0x40) == 0 ? 0x8000 : 0;
  std::uint64_t first = 0;
  std::uint64_t last = 0;  // one past the last bank
  if (bank) {
    first = lo ? (*bank & 0x7F) : (*bank & 0x3F);
    last = first + 1;
  } else if (lo) {
    last = (bankByte & 0x80) != 0 ? kLoRomBanks : kLoRomBanksBelowRam;
  } else {
    last = (bankByte & 0xC0) == 0x40 ? kHiRomBanksBelowRam : kHiRomBanks;
  }
  const std::uint64_t k = std::max(first, r / bankSize);
  if (k >= last) return std::nullopt;
  const std::uint64_t start = std::max(r, k * bankSize + skip);
  return Zone{start, (k + 1) * bankSize};
}

std::optional<CPointerFormat::Zone> CPointerFormat::ZoneFrom(
    std::uint64_t offset, std::uint64_t at, std::uint64_t old,
    std::uint64_t romSize) const {
  std::uint64_t lo = offset;
  std::uint64_t hi = romSize;
  if (window) {
    lo = std::max(lo, window->start);
    hi = std::min(hi, window->end);
  }
  if (lo >= hi) return std::nullopt;
  // In mapped offsets (before ADD), where a zone starts at or after `lo`,
  // and back; every zone ends above where it starts, so the zone found ends
  // above `lo` too.
  const std::int64_t base = Base(at);
  const std::int64_t r = static_cast<std::int64_t>(lo) - base;
  const std::optional<Zone> zone =
      MappedZoneFrom(r < 0 ? 0 : static_cast<std::uint64_t>(r), old);
  if (!zone) return std::nullopt;
  const auto start =
      static_cast<std::uint64_t>(static_cast<std::int64_t>(zone->start) + base);
  const auto end =
      static_cast<std::uint64_t>(static_cast<std::int64_t>(zone->end) + base);
  if (start >= hi) return std::nullopt;
  return Zone{start, std::min(end, hi)};
}

std::uint64_t CPointerFormat::ValueFor(std::uint64_t offset, std::uint64_t at,
                                       std::uint64_t old) const {
  const auto r =
      static_cast<std::uint64_t>(static_cast<std::int64_t>(offset) - Base(at));
  if (map == Map::kNone) return r;
  const bool lo = map == Map::kLoRom;
  const std::uint64_t bankSize = lo ? kLoRomBank : kHiRomBank;
  const std::uint64_t k = r / bankSize;
  const std::uint64_t low = (r % bankSize) + (lo ? 0x8000 : 0);
  if (bank) return low;
  const std::uint64_t mirror = BankOf(old) & (lo ? 0x80 : 0xC0);
  return (k | mirror) << 16 | low;
}

}  // namespace dalvren
