// Random extended tables that can be read back unambiguously, and random
// ROMs for them, for the property tests of the lossless promise (in the
// core, through the converter, and in the fuzzer, whose input makes the
// choices).
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "core/Ambiguity.h"
#include "core/ExtendedTable.h"

namespace dalvren::test {

struct RandomTable {
  // The table file, in the extended syntax.
  std::string file;
  // The bytes codes may be made of; ROMs also hold bytes outside it.
  std::vector<unsigned char> codeBytes;
  // Every code of the table, for building ROMs.
  std::vector<std::string> codes;
};

// One line of a table being built, with the code it adds (if any).
struct TableLine {
  std::string text;
  std::string code;
};

inline std::string HexOfBytes(const std::string& bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    out += kDigits[b >> 4];
    out += kDigits[b & 0xF];
  }
  return out;
}

// Makes tables and ROMs from the choices of `below`, which returns a number
// under its argument.
class CTableMaker {
 public:
  explicit CTableMaker(std::function<std::uint32_t(std::uint32_t)> below)
      : below_(std::move(below)) {}

  std::uint32_t Below(std::uint32_t n) { return below_(n); }

  // A table of one to three sections (the first of them, or entries before
  // any, the start table) with texts, line breaks written as \n, a
  // line-break code, end codes with and without text, control codes with 0
  // to 2 parameters and, when `switches`, switch codes with N of 0 to 3.
  // With `unambiguous`, entries are dropped until no text or code of a
  // section begins another (FindAmbiguity), a condition stricter than
  // losslessness that many tables in use meet.
  RandomTable Make(bool switches, bool unambiguous = true) {
    const std::uint32_t sectionCount = 1 + Below(3);
    const bool unnamedStart = Below(2) == 0;
    const bool openStart = switches && Below(4) == 0;
    static const char* const kPieces[] = {"a",  "b",   "c",   "ab", "ア",
                                          "イ", "\\n", "[E]", " ",  "<",
                                          "$",  "4",   ">",   "é",  "x"};
    RandomTable table;
    table.codeBytes = {0x10, 0x11, 0x12, 0x13, 0x80, 0x81, 0x82, 0xF0, 0xF1};
    std::vector<std::vector<TableLine>> sections(sectionCount);
    for (std::uint32_t s = 0; s < sectionCount; ++s) {
      std::vector<TableLine>& lines = sections[s];
      const std::uint32_t entries = 2 + Below(9);
      for (std::uint32_t i = 0; i < entries; ++i) {
        std::string code;
        const std::uint32_t length = 1 + (Below(4) == 0 ? 1 : 0);
        for (std::uint32_t k = 0; k < length; ++k) {
          code.push_back(static_cast<char>(table.codeBytes[Below(
              static_cast<std::uint32_t>(table.codeBytes.size()))]));
        }
        const std::string hex = HexOfBytes(code);
        std::string word;
        const std::uint32_t pieces = 1 + Below(3);
        for (std::uint32_t k = 0; k < pieces; ++k) word += kPieces[Below(15)];
        const std::uint32_t kind = Below(20);
        std::string text;
        if (kind < 11) {
          text = hex + "=" + word;
        } else if (kind < 12) {
          text = "*" + hex;
        } else if (kind < 13) {
          text = "/" + hex + "=" + word;
        } else if (kind < 14) {
          text = "/" + hex;
        } else if (kind < 16) {
          text = "$" + hex + "=<" + word + ">," + std::to_string(Below(3));
        } else if (switches) {
          // One choice per statement: the order in which the operands of an
          // expression are evaluated is the compiler's to choose.
          const std::uint32_t target = Below(sectionCount);
          std::uint32_t count = Below(4);
          // Now and then a start table that switches only with N = 0, so
          // that the counted switches are reached through those alone.
          if (s == 0 && openStart) count = 0;
          text = "!" + hex + "=S" + std::to_string(target) + "," +
                 std::to_string(count);
        } else {
          text = hex + "=" + word;
        }
        lines.push_back({text, code});
      }
    }
    // Drop entries until the table can be read back; each round removes
    // the later entry of the pair that breaks the condition.
    for (;;) {
      table.file.clear();
      std::vector<const TableLine*> byLine = {nullptr};
      for (std::uint32_t s = 0; s < sectionCount; ++s) {
        if (s > 0 || !unnamedStart) {
          table.file += "@S" + std::to_string(s) + "\n";
          byLine.push_back(nullptr);
        }
        for (const TableLine& line : sections[s]) {
          table.file += line.text + "\n";
          byLine.push_back(&line);
        }
      }
      std::istringstream in(table.file);
      std::streambuf* saved = std::cerr.rdbuf(nullptr);
      const auto loaded = LoadExtended(in, Quiet());
      std::cerr.rdbuf(saved);
      const auto ambiguity = FindAmbiguity(*loaded);
      if (!ambiguity || !unambiguous) break;
      const std::size_t line = loaded->entries[ambiguity->second].line;
      const TableLine* doomed = byLine[line];
      for (auto& lines : sections) {
        std::erase_if(lines,
                      [doomed](const TableLine& l) { return &l == doomed; });
      }
    }
    for (const auto& lines : sections) {
      for (const TableLine& line : lines) table.codes.push_back(line.code);
    }
    return table;
  }

  // A ROM for `table`: random codes of any section with random bytes, some
  // covered by no code, between them; or random bytes only.
  std::string Rom(const RandomTable& table) {
    std::string rom;
    const std::uint32_t parts = Below(24);
    const bool bytesOnly = Below(4) == 0;
    for (std::uint32_t i = 0; i < parts; ++i) {
      if (!bytesOnly && !table.codes.empty() && Below(3) != 0) {
        rom +=
            table.codes[Below(static_cast<std::uint32_t>(table.codes.size()))];
      } else if (Below(2) == 0) {
        rom.push_back(static_cast<char>(table.codeBytes[Below(
            static_cast<std::uint32_t>(table.codeBytes.size()))]));
      } else {
        static const unsigned char kStray[] = {0x00, 0x3C, 0x24, 0x0A, 0xFF};
        rom.push_back(static_cast<char>(kStray[Below(5)]));
      }
    }
    return rom;
  }

 private:
  // Replacements are expected: random codes and words often repeat.
  static CLoadObserver Quiet() {
    CLoadObserver observer;
    observer.onReplaced = [](std::size_t, TableDictionary) {};
    return observer;
  }

  std::function<std::uint32_t(std::uint32_t)> below_;
};

// A table maker whose choices are pseudo-random from `seed`, the same on
// every run.
class CRandomTables : public CTableMaker {
 public:
  explicit CRandomTables(std::uint32_t seed)
      : CTableMaker([this](std::uint32_t n) {
          return std::uniform_int_distribution<std::uint32_t>(0, n - 1)(rng_);
        }),
        rng_(seed) {}

  // Refers to its own engine.
  CRandomTables(const CRandomTables&) = delete;
  CRandomTables& operator=(const CRandomTables&) = delete;

 private:
  std::mt19937 rng_;
};

}  // namespace dalvren::test
