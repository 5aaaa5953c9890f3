#include "core/ExtendedTable.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "core/ByteToken.h"
#include "core/HexCodec.h"
#include "core/KeyMatch.h"
#include "core/TableLineReader.h"
#include "core/Utf8.h"

namespace dalvren {

namespace {

constexpr std::uint32_t kMaxCount = 255;

// What the loader takes for blanks around names, counts and codes.
constexpr std::string_view kBlanks = " \t";

// One line of the file as read, before sections and switch targets are
// known.
struct ParsedLine {
  enum class Type { kComment, kIgnored, kSection, kEntry };
  Type type = Type::kComment;
  std::size_t number = 0;
  bool cut = false;
  LineFault fault = LineFault::kNoEquals;
  // The line as handled, kept for the report of an ignored line.
  std::string content;
  EntryKind kind = EntryKind::kText;
  std::string code;
  // The text, end text or label as written; the section or target name.
  std::string text;
  std::uint32_t count = 0;
};

// The code of a special line: pairs of hexadecimal digits and nothing else.
bool ReadStrictCode(std::string_view digits, std::string& code) {
  if (digits.empty() || digits.size() % 2 != 0) return false;
  for (const char c : digits) {
    if (!IsHexDigit(c)) return false;
  }
  code.clear();
  for (std::size_t i = 0; i < digits.size(); i += 2) {
    code.push_back(static_cast<char>(HexPairValue(digits[i], digits[i + 1])));
  }
  return true;
}

// N of "$HEX=LABEL,N" and "!HEX=NAME,N"; false with the fault otherwise.
bool ReadCount(std::string_view text, std::uint32_t& count, LineFault& fault) {
  text = TrimmedBlanks(text);
  if (text.empty()) {
    fault = LineFault::kNoCount;
    return false;
  }
  std::uint32_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') {
      fault = LineFault::kCountNotDecimal;
      return false;
    }
    // Saturates, so that any number of digits is read without overflow.
    value = std::min<std::uint32_t>(
        value * 10 + static_cast<std::uint32_t>(c - '0'), kMaxCount + 1);
  }
  if (value > kMaxCount) {
    fault = LineFault::kCountOutOfRange;
    return false;
  }
  count = value;
  return true;
}

// The plain syntax's entry line, by its own rules.
void ParseTextLine(std::string_view line, ParsedLine& parsed) {
  std::string_view text;
  if (const auto fault = SplitEntryLine(line, parsed.code, text)) {
    parsed.type = ParsedLine::Type::kIgnored;
    parsed.fault = *fault;
    return;
  }
  parsed.type = ParsedLine::Type::kEntry;
  parsed.kind = EntryKind::kText;
  parsed.text = text;
}

// "$HEX=LABEL,N" and "!HEX=NAME,N", after the leading character.
void ParseCountedLine(std::string_view rest, EntryKind kind,
                      ParsedLine& parsed) {
  const auto ignore = [&](LineFault fault) {
    parsed.type = ParsedLine::Type::kIgnored;
    parsed.fault = fault;
  };
  const LineFault noName = kind == EntryKind::kControl
                               ? LineFault::kNoLabel
                               : LineFault::kNoTableName;
  const std::size_t equals = rest.find('=');
  if (!ReadStrictCode(rest.substr(0, equals), parsed.code)) {
    return ignore(LineFault::kBadSpecialCode);
  }
  if (equals == std::string_view::npos) return ignore(noName);
  const std::string_view value = rest.substr(equals + 1);
  const std::size_t comma = value.rfind(',');
  if (comma == std::string_view::npos) return ignore(LineFault::kNoCount);
  const std::string_view name = kind == EntryKind::kControl
                                    ? value.substr(0, comma)
                                    : TrimmedBlanks(value.substr(0, comma));
  if (name.empty()) return ignore(noName);
  LineFault fault = LineFault::kNoCount;
  if (!ReadCount(value.substr(comma + 1), parsed.count, fault)) {
    return ignore(fault);
  }
  parsed.type = ParsedLine::Type::kEntry;
  parsed.kind = kind;
  parsed.text = name;
}

ParsedLine ParseLine(std::string_view line) {
  ParsedLine parsed;
  parsed.content = line;
  const auto ignore = [&](LineFault fault) {
    parsed.type = ParsedLine::Type::kIgnored;
    parsed.fault = fault;
    return parsed;
  };
  const std::string_view rest = line.substr(1);
  switch (line[0]) {
    case '#':
      return parsed;
    case '@': {
      const std::string_view name = TrimmedBlanks(rest);
      if (name.empty()) return ignore(LineFault::kNoTableName);
      parsed.type = ParsedLine::Type::kSection;
      parsed.text = name;
      return parsed;
    }
    case '*': {
      std::size_t digits = 0;
      while (digits < rest.size() && IsHexDigit(rest[digits])) ++digits;
      if (!ReadStrictCode(rest.substr(0, digits), parsed.code)) {
        return ignore(LineFault::kBadSpecialCode);
      }
      // Blanks after the code are invisible in an editor: no more than it.
      if (rest.find_first_not_of(kBlanks, digits) != std::string_view::npos) {
        return ignore(LineFault::kLineBreakText);
      }
      parsed.type = ParsedLine::Type::kEntry;
      parsed.kind = EntryKind::kLineBreak;
      return parsed;
    }
    case '/': {
      const std::size_t equals = rest.find('=');
      std::string_view digits = rest.substr(0, equals);
      // Without a text, blanks after the code are as invisible as after a
      // line-break code.
      if (equals == std::string_view::npos) {
        digits = digits.substr(0, digits.find_last_not_of(kBlanks) + 1);
      }
      if (!ReadStrictCode(digits, parsed.code)) {
        return ignore(LineFault::kBadSpecialCode);
      }
      parsed.type = ParsedLine::Type::kEntry;
      parsed.kind = EntryKind::kEnd;
      if (equals != std::string_view::npos)
        parsed.text = rest.substr(equals + 1);
      return parsed;
    }
    case '$':
      ParseCountedLine(rest, EntryKind::kControl, parsed);
      return parsed;
    case '!':
      ParseCountedLine(rest, EntryKind::kSwitch, parsed);
      return parsed;
    default:
      ParseTextLine(line, parsed);
      return parsed;
  }
}

// Each "\n" (a backslash and an n) of a text as a line break.
std::string ReadLineBreaks(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
      out.push_back('\n');
      ++i;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

std::string Tokens(std::string_view code, bool lower) {
  std::string out;
  for (const char c : code) AppendByteToken(static_cast<unsigned char>(c), out);
  if (lower) {
    for (char& c : out) {
      if (c >= 'A' && c <= 'F') c = static_cast<char>(c - 'A' + 'a');
    }
  }
  return out;
}

std::unique_ptr<CByteString> Bytes(std::string_view s) {
  return NewByteString(s.data(), static_cast<std::int32_t>(s.size()));
}

// Builds the table from the parsed lines, reporting as it goes.
class CTableBuilder {
 public:
  CTableBuilder(std::vector<ParsedLine>& lines, const CLoadObserver* observer)
      : lines_(lines), observer_(observer) {}

  CTableBuilder(const CTableBuilder&) = delete;
  CTableBuilder& operator=(const CTableBuilder&) = delete;

  std::unique_ptr<CExtendedTable> Build() {
    PlanSections();
    for (ParsedLine& line : lines_) Replay(line);
    MarkCurrent();
    auto [dumpText, insertCodes] = SimpleDictionaries();
    for (std::size_t i = 0; i < sections_.size(); ++i) {
      sections_[i].codes = std::move(dictionaries_[i].codes);
      sections_[i].words = std::move(dictionaries_[i].words);
      sections_[i].texts = std::move(dictionaries_[i].texts);
    }
    return std::make_unique<CExtendedTable>(
        std::move(entries_), std::move(sections_), kStart, std::move(dumpText),
        std::move(insertCodes));
  }

 private:
  // Finds the sections and the start table before anything is reported, so
  // that a switch may name a section defined further down.
  void PlanSections() {
    bool sawSection = false;
    bool textBeforeSection = false;
    for (const ParsedLine& line : lines_) {
      if (line.type == ParsedLine::Type::kSection) {
        sawSection = true;
        if (!names_.contains(line.text)) {
          names_.emplace(line.text, static_cast<std::uint32_t>(names_.size()));
          planned_.push_back(&line);
        }
      } else if (line.type == ParsedLine::Type::kEntry && !sawSection &&
                 line.kind != EntryKind::kSwitch) {
        textBeforeSection = true;
      }
    }
    const bool unnamedStart = textBeforeSection || planned_.empty();
    const std::uint32_t offset = unnamedStart ? 1 : 0;
    if (unnamedStart) AddSection("", 0);
    for (const ParsedLine* line : planned_)
      AddSection(line->text, line->number);
    for (auto& [name, index] : names_) index += offset;
    current_ = unnamedStart ? kStart : kNoSection;
  }

  void AddSection(std::string name, std::size_t line) {
    CExtendedTable::Section section;
    section.name = std::move(name);
    section.line = line;
    sections_.push_back(std::move(section));
    Dictionaries& dictionaries = dictionaries_.emplace_back();
    dictionaries.codes = std::make_unique<CCodeDictionary>();
    dictionaries.words = std::make_unique<CCodeDictionary>();
    dictionaries.texts = std::make_unique<CCodeDictionary>();
    primaries_.emplace_back();
  }

  void Ignore(const ParsedLine& line, LineFault fault) {
    if (observer_ != nullptr && observer_->onIgnored) {
      observer_->onIgnored(line.number, line.content, fault);
    }
  }

  void Replay(ParsedLine& line) {
    if (line.cut && observer_ != nullptr && observer_->onCut) {
      observer_->onCut(line.number);
    }
    switch (line.type) {
      case ParsedLine::Type::kComment:
        return;
      case ParsedLine::Type::kIgnored:
        return Ignore(line, line.fault);
      case ParsedLine::Type::kSection: {
        const std::uint32_t index = names_.at(line.text);
        current_ = index;
        if (sections_[index].line != line.number) {
          Ignore(line, LineFault::kSectionTwice);
        }
        if (observer_ != nullptr && observer_->onSection) {
          observer_->onSection(line.number, line.text);
        }
        return;
      }
      case ParsedLine::Type::kEntry:
        return AddEntry(line);
    }
  }

  void AddEntry(ParsedLine& line) {
    if (current_ == kNoSection)
      return Ignore(line, LineFault::kSwitchInNoTable);
    CExtendedTable::Entry entry;
    entry.kind = line.kind;
    entry.line = line.number;
    entry.section = current_;
    entry.code = std::move(line.code);
    entry.count = line.count;
    if (line.kind == EntryKind::kSwitch) {
      const auto found = names_.find(line.text);
      if (found == names_.end()) return Ignore(line, LineFault::kUnknownTable);
      entry.target = found->second;
    } else if (line.kind != EntryKind::kLineBreak) {
      if (observer_ != nullptr && observer_->convertText) {
        observer_->convertText(line.number, line.text);
      }
    }
    switch (line.kind) {
      case EntryKind::kText:
        entry.word = ReadLineBreaks(line.text);
        break;
      case EntryKind::kLineBreak:
        // Not assigned from a literal: GCC 12 warns falsely (-Wrestrict)
        // about that once it is inlined here.
        entry.word.push_back('\n');
        break;
      case EntryKind::kEnd:
        entry.word = line.text.empty() ? Tokens(entry.code, false)
                                       : ReadLineBreaks(line.text);
        break;
      case EntryKind::kControl:
        entry.word = line.text;
        break;
      case EntryKind::kSwitch:
        break;
    }
    Store(std::move(entry), line.text.empty());
  }

  void Store(CExtendedTable::Entry entry, bool textless) {
    const CByteString idString =
        CEntryId(static_cast<std::uint32_t>(entries_.size())).Value();
    const Dictionaries& section = dictionaries_[entry.section];
    if (observer_ != nullptr && observer_->onEntryKind) {
      observer_->onEntryKind(entry.line, entry.kind);
    }
    if (observer_ != nullptr && observer_->onEntry) {
      observer_->onEntry(entry.line, *Bytes(entry.code), *Bytes(entry.word));
    }
    // Valid until the entry is added at the end.
    const CExtendedTable::Entry* coded = Holder(*section.codes, entry.code);
    bool replaced = false;
    if (section.codes->Insert(*Bytes(entry.code), idString, replaced) &&
        replaced) {
      Replaced(TableDictionary::kForward, entry, coded);
    }
    if (!entry.word.empty()) {
      auto& primaries = primaries_[entry.section];
      const bool fresh = primaries.insert(entry.word).second;
      const CExtendedTable::Entry* worded = Holder(*section.words, entry.word);
      if (section.words->Insert(*Bytes(entry.word), idString) && !fresh) {
        // A word written as such always holds its last entry's id.
        Replaced(TableDictionary::kReverse, entry, worded);
      }
      const auto derived = [&](const std::string& key) {
        // A word of an entry of its own wins over a spelling that only
        // stands in for an end code followed by its line break.
        if (primaries.contains(key)) return;
        (void)section.words->Insert(*Bytes(key), idString);
      };
      if (entry.kind == EntryKind::kEnd) {
        std::vector<std::string> spellings = {entry.word};
        if (textless) spellings.push_back(Tokens(entry.code, true));
        for (const std::string& spelling : spellings) {
          if (spelling != entry.word) derived(spelling);
          derived(spelling + "\n");
          derived(spelling + "\r\n");
        }
      }
      if (entry.kind == EntryKind::kText ||
          entry.kind == EntryKind::kLineBreak) {
        (void)section.texts->Insert(*Bytes(entry.word), *Bytes(entry.code));
      }
    }
    entries_.push_back(std::move(entry));
  }

  // The entry whose id `dictionary` holds under `key`, or null.
  const CExtendedTable::Entry* Holder(const CCodeDictionary& dictionary,
                                      std::string_view key) const {
    const CByteString* id = dictionary.Find(
        {reinterpret_cast<const unsigned char*>(key.data()), key.size()});
    return id == nullptr ? nullptr : &EntryOf(*id);
  }

  const CExtendedTable::Entry& EntryOf(const CByteString& id) const {
    const std::uint32_t index = CEntryId::Of(id).Index();
    assert(index < entries_.size());
    return entries_[index];
  }

  // Reports that `entry` replaced `earlier` (the entry its code, forward,
  // or its word, reverse, named until now) in `dictionary`.
  void Replaced(TableDictionary dictionary, const CExtendedTable::Entry& entry,
                const CExtendedTable::Entry* earlier) const {
    // A key that held a value names an entry.
    assert(earlier != nullptr);
    const bool forward = dictionary == TableDictionary::kForward;
    const auto value = [forward](const CExtendedTable::Entry* e) {
      if (e == nullptr) return std::string_view();
      return std::string_view(forward ? e->word : e->code);
    };
    ReportReplaced(observer_,
                   {.line = entry.line,
                    .dictionary = dictionary,
                    .key = forward ? entry.code : entry.word,
                    .earlier = value(earlier),
                    .earlierLine = earlier != nullptr ? earlier->line : 0,
                    .now = value(&entry)});
  }

  // Marks the entries dump still reads for their codes, and lists each
  // section's switch codes among them.
  void MarkCurrent() {
    for (std::uint32_t id = 0; id < entries_.size(); ++id) {
      CExtendedTable::Entry& entry = entries_[id];
      const CByteString* stored = dictionaries_[entry.section].codes->Find(
          {reinterpret_cast<const unsigned char*>(entry.code.data()),
           entry.code.size()});
      entry.current = stored != nullptr && &EntryOf(*stored) == &entry;
      if (entry.current && entry.kind == EntryKind::kSwitch) {
        sections_[entry.section].switches.push_back(id);
      }
    }
  }

  // Insert first tries the plain longest-match translation through the
  // start table's words, unless a control code there must be followed by
  // its parameters; without switch codes either, dump is the plain
  // translation too. The two dictionaries, each null where it does not
  // apply.
  std::pair<std::unique_ptr<CCodeDictionary>, std::unique_ptr<CCodeDictionary>>
  SimpleDictionaries() const {
    const auto inStart = [this](EntryKind kind, bool parameters) {
      return std::any_of(entries_.begin(), entries_.end(),
                         [&](const CExtendedTable::Entry& entry) {
                           return entry.current && entry.section == kStart &&
                                  entry.kind == kind &&
                                  (!parameters || entry.count > 0);
                         });
    };
    if (inStart(EntryKind::kControl, true)) return {};
    const Dictionaries& start = dictionaries_[kStart];
    auto insertCodes = std::make_unique<CCodeDictionary>();
    ForEachKey(*start.words, [&](std::string_view word, const CByteString& id) {
      (void)insertCodes->Insert(*Bytes(word), *Bytes(EntryOf(id).code));
    });
    if (inStart(EntryKind::kSwitch, false)) {
      return {nullptr, std::move(insertCodes)};
    }
    auto dumpText = std::make_unique<CCodeDictionary>();
    ForEachKey(*start.codes, [&](std::string_view code, const CByteString& id) {
      (void)dumpText->Insert(*Bytes(code), *Bytes(DumpTextOf(EntryOf(id))));
    });
    return {std::move(dumpText), std::move(insertCodes)};
  }

  // A section's dictionaries while they fill; the table gets them read-only.
  struct Dictionaries {
    std::unique_ptr<CCodeDictionary> codes;
    std::unique_ptr<CCodeDictionary> words;
    std::unique_ptr<CCodeDictionary> texts;
  };

  // The first section is the start table, named or not.
  static constexpr std::uint32_t kStart = 0;
  static constexpr std::uint32_t kNoSection = UINT32_MAX;

  std::vector<ParsedLine>& lines_;
  const CLoadObserver* observer_;
  std::vector<CExtendedTable::Entry> entries_;
  std::vector<CExtendedTable::Section> sections_;
  std::vector<Dictionaries> dictionaries_;
  std::unordered_map<std::string, std::uint32_t> names_;
  std::vector<const ParsedLine*> planned_;
  // Per section, the words written as such, and the entry each names now.
  std::vector<std::unordered_set<std::string>> primaries_;
  std::uint32_t current_ = kNoSection;
};

std::unique_ptr<CExtendedTable> LoadWith(std::istream& in,
                                         const CLoadObserver* observer) {
  std::vector<ParsedLine> lines;
  if (!in.fail()) {
    CTableLineReader reader(in);
    std::string line;
    std::size_t number = 0;
    bool cut = false;
    bool first = true;
    while (reader.Next(line, number, cut)) {
      std::string_view content = line;
      if (first && number == 1 && content.starts_with(kUtf8ByteOrderMark)) {
        content.remove_prefix(kUtf8ByteOrderMark.size());
      }
      first = false;
      ParsedLine parsed;
      if (!content.empty()) parsed = ParseLine(content);
      parsed.number = number;
      parsed.cut = cut;
      lines.push_back(std::move(parsed));
    }
  }
  CTableBuilder builder(lines, observer);
  return builder.Build();
}

}  // namespace

CExtendedTable::CExtendedTable(std::vector<Entry> allEntries,
                               std::vector<Section> allSections,
                               std::uint32_t startSection,
                               std::unique_ptr<const CCodeDictionary> dump,
                               std::unique_ptr<const CCodeDictionary> insert)
    : entries(std::move(allEntries)),
      sections(std::move(allSections)),
      start(startSection),
      dumpText(std::move(dump)),
      insertCodes(std::move(insert)) {
  assert(InvariantsHold());
}

const CExtendedTable::Entry& CExtendedTable::EntryOf(CEntryId id) const {
  assert(id.Index() < entries.size());
  return entries[id.Index()];
}

bool CExtendedTable::InvariantsHold() const {
  if (sections.empty() || start >= sections.size()) return false;
  if (dumpText != nullptr && insertCodes == nullptr) return false;
  bool held = true;
  for (std::uint32_t s = 0; s < sections.size(); ++s) {
    const auto belongs = [&](std::string_view, const CByteString& id) {
      const std::uint32_t index = CEntryId::Of(id).Index();
      held = held && index < entries.size() && entries[index].section == s;
    };
    ForEachKey(*sections[s].codes, belongs);
    ForEachKey(*sections[s].words, belongs);
    for (const std::uint32_t id : sections[s].switches) {
      held = held && id < entries.size() && entries[id].current &&
             entries[id].kind == EntryKind::kSwitch && entries[id].section == s;
    }
  }
  return held &&
         std::all_of(entries.begin(), entries.end(), [&](const Entry& entry) {
           return entry.section < sections.size() &&
                  (entry.kind != EntryKind::kSwitch ||
                   entry.target < sections.size());
         });
}

std::string DumpTextOf(const CExtendedTable::Entry& entry) {
  return entry.kind == EntryKind::kEnd ? entry.word + "\n" : entry.word;
}

std::unique_ptr<CExtendedTable> LoadExtended(std::istream& in) {
  return LoadWith(in, nullptr);
}

std::unique_ptr<CExtendedTable> LoadExtended(std::istream& in,
                                             const CLoadObserver& observer) {
  return LoadWith(in, &observer);
}

std::string TableNameOf(std::string_view line) {
  if (line.empty()) return {};
  const ParsedLine parsed = ParseLine(line);
  const bool names = parsed.type == ParsedLine::Type::kSection ||
                     (parsed.type == ParsedLine::Type::kEntry &&
                      parsed.kind == EntryKind::kSwitch);
  return names ? parsed.text : std::string();
}

}  // namespace dalvren
