// The work behind Build (rom/Build.h), one step at a time: check the script
// against the ROM, convert the texts, decide each string's fate, free and
// pad what moved strings and shortened ones leave, place the moved strings
// and rewrite their pointers, and count.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/Error.h"
#include "rom/Build.h"
#include "rom/FreeSpace.h"

namespace dalvren {

class CRomBuilder {
 public:
  // Builds `rom` into the new ROM and reports into `*result`; the script,
  // ROM and codec must outlive the builder.
  CRomBuilder(const CScript& script, std::span<unsigned char> rom,
              const CRomCodec& codec, CBuildResult* result);

  // Holds references to its inputs and half-built state.
  CRomBuilder(const CRomBuilder&) = delete;
  CRomBuilder& operator=(const CRomBuilder&) = delete;

  // Build itself; once only.
  [[nodiscard]] CError Run(const CBuildOptions& options);

 private:
  struct Pointer {
    std::uint64_t at = 0;
    const CLayout::Block* block = nullptr;
    // Its value in the original ROM.
    std::uint64_t old = 0;
  };
  enum class Fate : std::uint8_t { kKept, kRewritten, kMoved };
  static constexpr std::uint32_t kNoWork = UINT32_MAX;

  // One per string, so kept small: a script has tens of thousands.
  struct Work {
    const CScript::String* string = nullptr;
    std::string bytes;
    // Where a moved string went, once it found a place.
    std::optional<std::uint64_t> placed;
    // Its pointers in `pointers_`.
    std::uint32_t firstPointer = 0;
    std::uint32_t pointerCount = 0;
    // The index of its block in the layout.
    std::uint32_t home = 0;
    // The moved string before it with the same bytes, whose copy it may
    // share; kNoWork for none.
    std::uint32_t sameAs = kNoWork;
    // The bytes of its text differ from the original's, and are `bytes`.
    bool changed = false;
    // It shares bytes with another string.
    bool overlaps = false;
    Fate fate = Fate::kKept;
  };

  [[nodiscard]] CError CheckRom(const CBuildOptions& options) const;
  [[nodiscard]] CError CheckStrings();
  [[nodiscard]] CError CheckPointersOnce() const;
  [[nodiscard]] CError CheckString(const CScript::String& string, Work* work);
  [[nodiscard]] CError CheckPointers(const CScript::String& string, Work* work);
  [[nodiscard]] CError Convert(Work* work);
  [[nodiscard]] CError CheckEnd(const Work& work) const;
  void FindOverlaps();
  void Decide();
  void FreeAndPad();
  void LinkCopies();
  void Place();
  [[nodiscard]] CFreeSpace::Reach ReachOf(const Work& work) const;
  [[nodiscard]] bool Reaches(const Work& work, std::uint64_t at) const;
  void Count();

  // The pad over freed bytes, which Apply writes with the rewritten and
  // moved strings and their pointers only once every string fitted.
  struct Fill {
    std::uint64_t start = 0;
    std::uint64_t end = 0;
    const std::string* pattern = nullptr;
  };
  // Writes the new ROM's pad, strings and pointers into `target`, a copy of
  // the ROM.
  void Apply(std::span<unsigned char> target);
  // True when some end code followed by some byte reads as a longer code.
  [[nodiscard]] bool EndsCanGrow() const;
  // Writes the new ROM into the ROM, unless a string would then read on past
  // its end code (which only tables where an end code begins a longer code
  // allow).
  [[nodiscard]] CError ApplyWhereEndsHold();

  [[nodiscard]] std::span<const unsigned char> Original(
      const CScript::String& string) const {
    return rom_.subspan(string.offset, string.length);
  }
  [[nodiscard]] std::span<const Pointer> PointersOf(const Work& work) const {
    return std::span<const Pointer>(pointers_).subspan(work.firstPointer,
                                                       work.pointerCount);
  }

  const CScript& script_;
  const CLayout& layout_;
  // The ROM as it was until Apply writes the new one into it.
  std::span<const unsigned char> rom_;
  std::span<unsigned char> target_;
  const CRomCodec& codec_;
  CBuildResult* result_;
  std::vector<Work> work_;
  // Every string's pointers, by string; unchanged once checked.
  std::vector<Pointer> pointers_;
  // The space each block's strings freed, by block index, and #FREE.
  std::vector<CFreeSpace> freed_;
  CFreeSpace free_;
  std::vector<Fill> fills_;
};

}  // namespace dalvren
