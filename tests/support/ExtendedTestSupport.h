// Helpers for the tests of extended tables: loading one from a string,
// showing its sections as lines of the syntax, and running dump and insert
// into strings.
#pragma once

#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "core/ByteToken.h"
#include "core/ExtendedDump.h"
#include "core/ExtendedInsert.h"
#include "core/ExtendedTable.h"
#include "core/KeyMatch.h"
#include "tests/support/CoreTestSupport.h"

namespace dalvren::test {

inline std::unique_ptr<CExtendedTable> LoadExtendedFromString(
    const std::string& file) {
  std::istringstream in(file);
  return LoadExtended(in);
}

// `s` with each line break shown as the two characters \n.
inline std::string ShowBreaks(std::string_view s) {
  std::string out;
  for (const char c : s) {
    if (c == '\n') {
      out += "\\n";
    } else {
      out += c;
    }
  }
  return out;
}

// The entries dump reads, section by section and in code order, as lines
// of the syntax ("Kana: !F0=Kanji,1"; the unnamed start table shows as
// "-"): what the table means, whatever way its file put it.
inline std::vector<std::string> Describe(const CExtendedTable& table) {
  std::vector<std::string> out;
  for (const CExtendedTable::Section& section : table.sections) {
    const std::string name = section.name.empty() ? "-" : section.name;
    ForEachKey(
        *section.codes, [&](std::string_view code, const CByteString& id) {
          const CExtendedTable::Entry& entry = table.EntryOf(id);
          const std::string hex = MakeString(code)->ToHex().get();
          std::string line = name + ": ";
          switch (entry.kind) {
            case EntryKind::kText:
              line += hex + "=" + ShowBreaks(entry.word);
              break;
            case EntryKind::kLineBreak:
              line += "*" + hex;
              break;
            case EntryKind::kEnd:
              line += "/" + hex + "=" + ShowBreaks(entry.word);
              break;
            case EntryKind::kControl:
              line += "$" + hex + "=" + entry.word + "," +
                      std::to_string(entry.count);
              break;
            case EntryKind::kSwitch: {
              const std::string& target = table.sections[entry.target].name;
              line += "!" + hex + "=" + (target.empty() ? "-" : target) + "," +
                      std::to_string(entry.count);
              break;
            }
          }
          out.push_back(line);
        });
  }
  return out;
}
// A game's table: Latin letters in the start table, kana reached by a
// switch that lasts until a byte the kana do not cover, kanji for one code
// or two, an end code that ends a string in the kanji table too.
inline constexpr const char* kGameTable =
    "41=A\n42=B\n20= \n*FE\n/FF=[END]\n/FD\n$F5=<color>,1\n$F6=<wait>,0\n"
    "!F0=Kana,0\n!F1=Kanji,1\n!F3=Kana,2\n"
    "@Kana\n41=ア\n42=イ\n*FE\n!F2=Kanji,1\n"
    "@Kanji\n4141=亜\n4142=唖\n/FC=<k-end>\n";

// `bytes` in hex, as the test tables write codes.
inline std::string HexOf(const std::string& bytes) {
  return MakeString(bytes)->ToHex().get();
}

inline std::string DumpToString(const CExtendedTable& table,
                                std::string_view rom, bool tokens = true) {
  std::ostringstream out;
  CExtendedDumpOptions options;
  if (tokens) {
    options.onSkip = [](std::size_t, unsigned char byte, std::string& emit) {
      AppendByteToken(byte, emit);
    };
  }
  DumpExtended(table, out, AsBytes(rom), options);
  return out.str();
}

struct Inserted {
  bool ok = false;
  std::string bytes;
  CScriptFault fault;
};

inline Inserted InsertToString(const CExtendedTable& table,
                               std::string_view script,
                               CExtendedInsertOptions options = {}) {
  std::ostringstream out;
  Inserted result;
  result.ok =
      InsertExtended(table, out, AsBytes(script), options, &result.fault);
  result.bytes = out.str();
  return result;
}

inline CExtendedInsertOptions WithTokens() {
  CExtendedInsertOptions options;
  options.tokens = true;
  return options;
}

}  // namespace dalvren::test
