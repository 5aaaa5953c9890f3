// Generated ROMs for the whole-ROM commands: a table in either syntax, a
// ROM with a #TEXT block, a pointer table in one of the formats (with
// shared strings, pointers into the middle of strings and pointers that
// lead nowhere), free space, and its layout; and the models that read such
// a ROM back independently of the converter: pointer values to offsets and
// bytes to script text.
#pragma once

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace dalvren::test {

// One piece strings are made of: its bytes in the ROM and its text in the
// script.
struct RomUnit {
  std::string bytes;
  std::string text;
};

// A table and what its strings are made of.
class RomSyntax {
 public:
  // Plain: letters, a blank, "ch" (80 81), "ü" (90 FF: FF inside a code),
  // "ÿ" (FF FE: a code that the end code begins), bytes 01 to 05 that no
  // code covers, and the end code FF=[END].
  // Extended: the same letters and blank, a line-break code FE, the end
  // code /FF=[END], a colour code F0 with one parameter byte (any byte, FF
  // too), a switch F1 into a kana table until a byte it does not cover, and
  // bytes 01 to 05.
  explicit RomSyntax(bool extended);

  [[nodiscard]] bool Extended() const { return extended_; }
  [[nodiscard]] const std::string& TableFile() const { return table_; }
  // The options that select the syntax on the command line.
  [[nodiscard]] std::vector<std::string> Options(
      const std::string& table) const;
  // A random unit.
  [[nodiscard]] RomUnit Unit(std::mt19937& random) const;
  // What ends a string.
  [[nodiscard]] const RomUnit& End() const { return end_; }
  // The text of the string at `at` as dump reads it up to its end code,
  // reading no further than `limit`, and its length in `*length`; nothing
  // when no end code follows.
  [[nodiscard]] std::optional<std::string> Read(
      const std::string& rom, std::uint64_t at, std::uint64_t* length,
      std::uint64_t limit = UINT64_MAX) const;

 private:
  bool extended_;
  std::string table_;
  RomUnit end_;
};

// How the generated pointers are written.
struct RomPointers {
  unsigned size = 2;
  bool bigEndian = false;
  std::uint64_t stride = 2;
  std::int64_t add = 0;
  bool relative = false;
  // 0 none, 1 LoROM, 2 HiROM.
  int map = 0;
  // The bank byte of 16-bit pointers under a mapping; the mirror bits of
  // wider ones.
  unsigned bank = 0;
  std::optional<std::pair<std::uint64_t, std::uint64_t>> window;

  // The layout's options for them.
  [[nodiscard]] std::string Options() const;
  [[nodiscard]] std::uint64_t Read(const std::string& rom,
                                   std::uint64_t at) const;
  void Write(std::string& rom, std::uint64_t at, std::uint64_t value) const;
  // The offset `value` leads to for the pointer at `at`.
  [[nodiscard]] std::uint64_t Target(std::uint64_t value,
                                     std::uint64_t at) const;
  // The value that leads to `offset`.
  [[nodiscard]] std::uint64_t ValueFor(std::uint64_t offset,
                                       std::uint64_t at) const;
  // The size of a bank strings must not cross; 0 for none.
  [[nodiscard]] std::uint64_t BankSize() const;
};

struct RomString {
  std::uint64_t offset = 0;
  std::string bytes;
  std::vector<RomUnit> units;
  // In the #TEXT block; else led to by pointers.
  bool inText = false;
  // Ends with the end code: all but the last bytes of a #TEXT block that
  // no end code ends.
  bool ends = true;
};

struct GeneratedRom {
  std::string rom;
  std::string layout;
  RomPointers pointers;
  // The last byte of the #TEXT block.
  std::uint64_t textEnd = 0;
  std::uint64_t tableStart = 0;
  std::uint64_t slots = 0;
  // The string each slot leads to (an index into `strings`), or nothing for
  // a pointer that leads outside the ROM.
  std::vector<std::optional<std::size_t>> slotString;
  std::vector<RomString> strings;
  std::uint64_t freeStart = 0;
  std::uint64_t freeEnd = 0;  // the last byte
};

// A ROM for `syntax` from `seed`; `kind` picks the pointer format family
// (any number; it is taken modulo the families).
GeneratedRom MakeRom(const RomSyntax& syntax, std::uint32_t seed,
                     unsigned kind);

// The text of `units` and the end code.
std::string TextOf(const std::vector<RomUnit>& units, const RomSyntax& syntax);

// The script with the text of the section of the string at `offset`
// replaced by `text`.
std::string ReplaceText(const std::string& script, std::uint64_t offset,
                        const std::string& text);

}  // namespace dalvren::test
