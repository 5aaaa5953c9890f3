#include "cli/ExtendedCheck.h"

#include <string_view>

#include "core/Ambiguity.h"
#include "core/KeyMatch.h"

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
  const auto found = FindAmbiguity(table);
  if (!found) {
    return "lossless: yes: within each table no code begins another, and no "
           "text begins, shares or spells another or a <$XX> token";
  }
  const CExtendedTable::Entry& first = table.entries[found->first];
  const CExtendedTable::Entry& second = table.entries[found->second];
  const auto text = [](const CExtendedTable::Entry& entry) {
    return "text " + QuotedText(entry.word) + Line(entry);
  };
  std::string why;
  switch (found->kind) {
    case CAmbiguity::Kind::kCodePrefix:
      why = "code " + CodeHex(first.code) + Line(first) + " begins code " +
            CodeHex(second.code) + Line(second);
      break;
    case CAmbiguity::Kind::kWordPrefix:
      why = text(first) + " begins " + text(second);
      break;
    case CAmbiguity::Kind::kSameWord:
      why = "codes " + CodeHex(first.code) + Line(first) + " and " +
            CodeHex(second.code) + Line(second) + " have the same text " +
            QuotedText(first.word);
      break;
    case CAmbiguity::Kind::kEmptyText:
      why = "code " + CodeHex(first.code) + Line(first) + " has an empty text";
      break;
    case CAmbiguity::Kind::kTokenWord:
      why = text(first) + " starts with a <$XX> token";
      break;
    case CAmbiguity::Kind::kTokenSpelled:
      why = text(first) + " and " + text(second) +
            (first.line == second.line ? "" : ", with texts between,") +
            " can spell a <$XX> token";
      break;
  }
  return "lossless: no: " + Where(table, found->section) + ", " + why;
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
