#include "core/ExtendedTable.h"

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

CByteString IdString(std::uint32_t id) {
  CByteString s(4);
  for (int i = 0; i < 4; ++i) {
    s.data[i] = static_cast<char>((id >> (8 * i)) & 0xFF);
  }
  return s;
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
    table_ = std::make_unique<CExtendedTable>();
    PlanSections();
    for (ParsedLine& line : lines_) Replay(line);
    Finish();
    return std::move(table_);
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
    table_->start = 0;
    current_ = unnamedStart ? 0 : kNoSection;
  }

  void AddSection(std::string name, std::size_t line) {
    CExtendedTable::Section section;
    section.name = std::move(name);
    section.line = line;
    section.codes = std::make_unique<CCodeDictionary>();
    section.words = std::make_unique<CCodeDictionary>();
    section.texts = std::make_unique<CCodeDictionary>();
    table_->sections.push_back(std::move(section));
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
        if (table_->sections[index].line != line.number) {
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
    const auto id = static_cast<std::uint32_t>(table_->entries.size());
    const CByteString idString = IdString(id);
    CExtendedTable::Section& section = table_->sections[entry.section];
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
      bool ignored = false;
      if (section.words->Insert(*Bytes(entry.word), idString, ignored) &&
          !fresh) {
        // A word written as such always holds its last entry's id.
        Replaced(TableDictionary::kReverse, entry, worded);
      }
      const auto derived = [&](const std::string& key) {
        // A word of an entry of its own wins over a spelling that only
        // stands in for an end code followed by its line break.
        if (primaries.contains(key)) return;
        bool overwritten = false;
        (void)section.words->Insert(*Bytes(key), idString, overwritten);
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
        bool overwritten = false;
        (void)section.texts->Insert(*Bytes(entry.word), *Bytes(entry.code),
                                    overwritten);
      }
    }
    table_->entries.push_back(std::move(entry));
  }

  // The entry whose id `dictionary` holds under `key`, or null.
  const CExtendedTable::Entry* Holder(const CCodeDictionary& dictionary,
                                      std::string_view key) const {
    const CByteString* id = dictionary.Find(
        {reinterpret_cast<const unsigned char*>(key.data()), key.size()});
    return id == nullptr ? nullptr : &table_->EntryOf(*id);
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

  void Finish() {
    CExtendedTable& table = *table_;
    bool startSwitches = false;
    bool startParameters = false;
    for (std::uint32_t id = 0; id < table.entries.size(); ++id) {
      CExtendedTable::Entry& entry = table.entries[id];
      CExtendedTable::Section& section = table.sections[entry.section];
      const CByteString* stored = section.codes->Find(
          {reinterpret_cast<const unsigned char*>(entry.code.data()),
           entry.code.size()});
      entry.current = stored != nullptr && &table.EntryOf(*stored) == &entry;
      if (!entry.current) continue;
      if (entry.kind == EntryKind::kSwitch) {
        section.switches.push_back(id);
      }
      const bool hasParameters =
          entry.kind == EntryKind::kControl && entry.count > 0;
      if (entry.section == table.start) {
        startSwitches = startSwitches || entry.kind == EntryKind::kSwitch;
        startParameters = startParameters || hasParameters;
      }
    }
    // Insert first tries the plain longest-match translation through the
    // start table's words, unless a control code there must be followed by
    // its parameters; without switch codes either, dump is the plain
    // translation too.
    if (startParameters) return;
    const CExtendedTable::Section& start = table.sections[table.start];
    table.insertCodes = std::make_unique<CCodeDictionary>();
    ForEachKey(*start.words, [&](std::string_view word, const CByteString& id) {
      bool replaced = false;
      (void)table.insertCodes->Insert(*Bytes(word),
                                      *Bytes(table.EntryOf(id).code), replaced);
    });
    if (startSwitches) return;
    table.dumpText = std::make_unique<CCodeDictionary>();
    ForEachKey(*start.codes, [&](std::string_view code, const CByteString& id) {
      bool replaced = false;
      (void)table.dumpText->Insert(
          *Bytes(code), *Bytes(DumpTextOf(table.EntryOf(id))), replaced);
    });
  }

  static constexpr std::uint32_t kNoSection = UINT32_MAX;

  std::vector<ParsedLine>& lines_;
  const CLoadObserver* observer_;
  std::unique_ptr<CExtendedTable> table_;
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

const CExtendedTable::Entry& CExtendedTable::EntryOf(
    const CByteString& id) const {
  const std::uint32_t index = IdOf({id.data.get(), 4});
  assert(index < entries.size());
  return entries[index];
}

std::uint32_t CExtendedTable::IdOf(std::string_view id) {
  assert(id.size() == 4);
  std::uint32_t index = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    index |= static_cast<std::uint32_t>(static_cast<unsigned char>(id[i]))
             << (8 * i);
  }
  return index;
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
