// How the pointers of a #POINTERS block are stored and which ROM offsets
// their values stand for, both ways: reading a value to the offset it leads
// to, and writing the value that leads to a new offset.
//
// A value v of the pointer at offset `at` leads to the offset
//   m(v) + ADD            (+ at with RELATIVE)
// where m is the identity, or a SNES bank mapping: LoROM banks of 32 KiB at
// addresses 8000-FFFF, HiROM banks of 64 KiB (in banks 00-3F and 80-BF only
// their upper half). 16-bit pointers under a mapping take their bank from
// BANK=. The offsets a pointer can reach form zones: a string lies wholly in
// one, so under a mapping it never crosses a bank boundary.
//
// Invariants (checked by the script reader before a format is used): size is
// 2, 3 or 4; stride is at least size; |add| is below 2^48; a mapping is not
// RELATIVE; under a mapping, a 16-bit pointer has a bank and a wider one has
// none.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace dalvren {

class CPointerFormat {
 public:
  enum class Map : std::uint8_t { kNone, kLoRom, kHiRom };

  // Offsets [start, end).
  struct Zone {
    std::uint64_t start = 0;
    std::uint64_t end = 0;
  };

  // The value stored at `at` in `rom`, which must hold the whole pointer.
  [[nodiscard]] std::uint64_t Read(std::span<const unsigned char> rom,
                                   std::uint64_t at) const;

  // Stores `value` (which must fit in `size` bytes) at `at`.
  void Write(std::span<unsigned char> rom, std::uint64_t at,
             std::uint64_t value) const;

  // The offset the value leads to for the pointer at `at`, before any ROM
  // size or window is considered; nothing when it maps to no ROM address (a
  // negative offset, the lower half of a LoROM bank, work RAM, bits above
  // 24 under a mapping).
  [[nodiscard]] std::optional<std::uint64_t> Target(std::uint64_t value,
                                                    std::uint64_t at) const;

  // The zone holding `offset`, or else the first zone after it, in which a
  // string may lie for the pointer at `at` whose value was `old`: within the
  // values the pointer can hold, the ROM's `romSize` bytes and the window.
  // The zone's start is at least `offset`. Nothing when no zone is left.
  [[nodiscard]] std::optional<Zone> ZoneFrom(std::uint64_t offset,
                                             std::uint64_t at,
                                             std::uint64_t old,
                                             std::uint64_t romSize) const;

  // The value that leads to `offset` for the pointer at `at` whose value was
  // `old`; `offset` must lie in one of its zones. Under a mapping it keeps
  // the old value's mirror bits (the FastROM bank 80 or the HiROM bank C0).
  [[nodiscard]] std::uint64_t ValueFor(std::uint64_t offset, std::uint64_t at,
                                       std::uint64_t old) const;

  // The bytes of one pointer: 2, 3 or 4.
  unsigned size = 2;
  bool bigEndian = false;
  // Bytes from one pointer to the next.
  std::uint64_t stride = 2;
  std::int64_t add = 0;
  Map map = Map::kNone;
  // The bank of 16-bit pointers under a mapping.
  std::optional<std::uint8_t> bank;
  // The value counts from the pointer's own offset.
  bool relative = false;
  // The offsets strings may be moved to, [start, end).
  std::optional<Zone> window;

 private:
  // What the value is added to: ADD, and the pointer's offset if RELATIVE.
  [[nodiscard]] std::int64_t Base(std::uint64_t at) const;
  // The mapped zone holding mapped offset `r` or the first after it, before
  // ADD, the ROM and the window; nothing past the last.
  [[nodiscard]] std::optional<Zone> MappedZoneFrom(std::uint64_t r,
                                                   std::uint64_t old) const;
  // The bank byte the value `old` used: BANK= for 16-bit pointers.
  [[nodiscard]] std::uint64_t BankOf(std::uint64_t old) const;
};

}  // namespace dalvren
