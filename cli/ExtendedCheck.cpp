#include "cli/ExtendedCheck.h"

#include <string_view>

#include "cli/Plural.h"
#include "cli/SpacedHex.h"
#include "core/KeyMatch.h"
#include "core/Lossless.h"

namespace dalvren {

namespace {

std::unique_ptr<CByteString> Bytes(std::string_view s) {
  return NewByteString(s.data(), static_cast<std::int32_t>(s.size()));
}

std::string Where(const CExtendedTable& table, std::uint32_t section) {
  const std::string& name = table.sections[section].name;
  return name.empty() ? std::string("in the start table")
                      : "in table " + QuotedText(name);
}

std::string Line(const CExtendedTable::Entry& entry) {
  return " (line " + std::to_string(entry.line) + ")";
}

}  // namespace

std::vector<std::unique_ptr<CCodeTable>> SectionTables(
    const CExtendedTable& table) {
  std::vector<std::unique_ptr<CCodeTable>> tables;
  for (const CExtendedTable::Section& section : table.sections) {
    auto plain = std::make_unique<CCodeTable>();
    bool replaced = false;
    ForEachKey(*section.codes,
               [&](std::string_view code, const CByteString& id) {
                 (void)plain->forward->Insert(
                     *Bytes(code), *Bytes(table.EntryOf(id).word), replaced);
               });
    ForEachKey(*section.words, [&](std::string_view word,
                                   const CByteString& id) {
      const CExtendedTable::Entry& entry = table.EntryOf(id);
      // The spellings that stand in for an end code and its line break are
      // no entry's word.
      if (entry.word != word) return;
      (void)plain->reverse->Insert(*Bytes(word), *Bytes(entry.code), replaced);
    });
    tables.push_back(std::move(plain));
  }
  return tables;
}

std::string LosslessLine(const CExtendedTable& table) {
  const CLosslessVerdict verdict = JudgeLossless(table);
  switch (verdict.kind) {
    case CLosslessVerdict::Kind::kBytes:
      return "lossless: yes: no two ROMs dump to the same script, so insert "
             "gives back the bytes of every dump";
    case CLosslessVerdict::Kind::kScript:
      return "lossless: yes: insert gives, for every dump, bytes that dump to "
             "the same script (with switch codes of its own choosing)";
    case CLosslessVerdict::Kind::kNo:
      break;
  }
  const auto piece = [&table](std::uint32_t entry, const std::string& text) {
    if (entry == CLosslessVerdict::kNoEntry) return "token " + text;
    return "text " + QuotedText(text) + Line(table.entries[entry]);
  };
  std::string why;
  if (verdict.first == verdict.second) {
    const CExtendedTable::Entry& entry = table.entries[verdict.first];
    why = "code " + CodeHex(entry.code) + Line(entry) + " has an empty text";
  } else if (verdict.firstText == verdict.secondText &&
             verdict.first != CLosslessVerdict::kNoEntry &&
             verdict.second != CLosslessVerdict::kNoEntry) {
    const CExtendedTable::Entry& first = table.entries[verdict.first];
    const CExtendedTable::Entry& second = table.entries[verdict.second];
    why = "codes " + CodeHex(first.code) + Line(first) + " and " +
          CodeHex(second.code) + Line(second) + " have the same text " +
          QuotedText(first.word);
  } else if (verdict.firstText == verdict.secondText) {
    why = piece(verdict.first, verdict.firstText) + " reads back as " +
          piece(verdict.second, verdict.secondText);
  } else {
    why = piece(verdict.first, verdict.firstText) +
          " and what follows read back as " +
          piece(verdict.second, verdict.secondText);
  }
  const std::string inserted = verdict.inserted.empty()
                                   ? std::string("nothing")
                                   : SpacedHex(verdict.inserted);
  return "lossless: no: " + Where(table, table.start) + ", " + why +
         "\n  ROM " + SpacedHex(verdict.rom) + " dumps as " +
         QuotedText(verdict.script) + ",\n  which inserts as " + inserted;
}

void FinishExtendedCheck(CTableCheck& check, const CExtendedTable& table,
                         std::ostream& report) {
  const auto tables = SectionTables(table);
  const CCodeTable none;
  check.Finish([&](std::string_view name) -> const CCodeTable& {
    for (std::size_t i = 0; i < table.sections.size(); ++i) {
      if (table.sections[i].name == name) return *tables[i];
    }
    return none;
  });
  report << LosslessLine(table) << '\n';
}

}  // namespace dalvren
