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
  // Builds into `*result`; the script, ROM and codec must outlive the
  // builder.
  CRomBuilder(const CScript& script, std::span<const unsigned char> rom,
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
  struct Work {
    const CScript::String* string = nullptr;
    // The index of its block in the layout.
    std::size_t home = 0;
    std::vector<Pointer> pointers;
    // The bytes of its text differ from the original's, and are `bytes`.
    bool changed = false;
    std::string bytes;
    // It shares bytes with another string.
    bool overlaps = false;
    Fate fate = Fate::kKept;
    // Where a moved string went, once it found a place.
    std::optional<std::uint64_t> placed;
  };

  [[nodiscard]] CError CheckRom(const CBuildOptions& options) const;
  [[nodiscard]] CError CheckStrings();
  [[nodiscard]] CError CheckString(const CScript::String& string,
                                   Work* work) const;
  [[nodiscard]] CError CheckPointers(const CScript::String& string,
                                     Work* work) const;
  [[nodiscard]] CError Convert(Work* work);
  [[nodiscard]] CError CheckEnd(const Work& work) const;
  void FindOverlaps();
  void Decide();
  void FreeAndPad();
  void Place();
  [[nodiscard]] CFreeSpace::Reach ReachOf(const Work& work) const;
  [[nodiscard]] bool Reaches(const Work& work, std::uint64_t at) const;
  void Count();

  [[nodiscard]] std::span<const unsigned char> Original(
      const CScript::String& string) const {
    return rom_.subspan(string.offset, string.length);
  }

  const CScript& script_;
  const CLayout& layout_;
  std::span<const unsigned char> rom_;
  const CRomCodec& codec_;
  CBuildResult* result_;
  std::vector<Work> work_;
  // The space each block's strings freed, by block index, and #FREE.
  std::vector<CFreeSpace> freed_;
  CFreeSpace free_;
  std::string out_;
};

}  // namespace dalvren
