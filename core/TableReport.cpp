#include "core/TableReport.h"

#include <algorithm>
#include <map>
#include <tuple>
#include <utility>
#include <vector>

#include "core/ExtendedTable.h"
#include "core/HexCodec.h"
#include "core/Plural.h"
#include "core/SpacedHex.h"
#include "core/TableLineReader.h"
#include "core/Utf8.h"

namespace dalvren {

namespace {

// How many codes a warning about a shared text names before it only counts.
constexpr std::size_t kCodesNamed = 5;

const char* Why(LineFault fault) {
  switch (fault) {
    case LineFault::kNoEquals:
      return "no \"=\"";
    case LineFault::kOddCodeLength:
      return "code of odd length";
    case LineFault::kCodeNotHex:
      return "code not starting with a hexadecimal digit";
    case LineFault::kZeroBeforeEquals:
      return "a zero byte comes before the \"=\"";
    case LineFault::kBadSpecialCode:
      return "code not made of pairs of hexadecimal digits";
    case LineFault::kLineBreakText:
      return "line-break code followed by more than its code";
    case LineFault::kNoLabel:
      return "control code without a label (\"$HEX=LABEL,N\")";
    case LineFault::kNoCount:
      return "no count (\",N\" at the end of the line)";
    case LineFault::kCountNotDecimal:
      return "count not a decimal number";
    case LineFault::kCountOutOfRange:
      return "count out of range (0 to 255)";
    case LineFault::kNoTableName:
      return "no table name";
    case LineFault::kUnknownTable:
      return "switch to a table that does not exist";
    case LineFault::kSwitchInNoTable:
      return "switch code in no table (before the first \"@\", with no "
             "other entry there to form a start table)";
    case LineFault::kSectionTwice:
      return "a section that appears twice (the lines after it join the "
             "first)";
  }
  return "not an entry";
}

// Why a line was ignored, naming the table where the reason is about one:
// the line is "!HEX=NAME,N" or "@NAME".
std::string WhyOf(LineFault fault, std::string_view content) {
  if (fault == LineFault::kUnknownTable) {
    return "switch to table " + QuotedText(TableNameOf(content)) +
           ", which does not exist";
  }
  if (fault == LineFault::kSectionTwice) {
    return "section " + QuotedText(TableNameOf(content)) +
           " appears twice (the lines after it join the first)";
  }
  return Why(fault);
}

std::string AsString(const CByteString& s) {
  return std::string(s.data.get(), static_cast<std::size_t>(s.len));
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// What is odd about the blanks of `text`, or null. A text of blanks only is
// plainly meant (the code of a space).
const char* BlankFault(std::string_view text) {
  if (std::all_of(text.begin(), text.end(), IsBlank)) return nullptr;
  const bool leading = IsBlank(text.front());
  const bool trailing = IsBlank(text.back());
  return leading && trailing ? "starts and ends with a blank"
         : leading           ? "starts with a blank"
         : trailing          ? "ends with a blank"
                             : nullptr;
}

// The value `dictionary` holds under exactly `key`, or null.
const CByteString* Lookup(const CCodeDictionary& dictionary,
                          std::string_view key) {
  return dictionary.Find(
      {reinterpret_cast<const unsigned char*>(key.data()), key.size()});
}

bool Holds(const CByteString* value, std::string_view expected) {
  return value != nullptr &&
         std::string_view(value->data.get(),
                          static_cast<std::size_t>(value->len)) == expected;
}

}  // namespace

std::string QuotedText(std::string_view bytes) {
  std::string out = "\"";
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if ((b >= 0x20 && b < 0x7F) || b >= 0x80) {
      out += c;
    } else {
      out += "\\x";
      out += kHexDigits[b >> 4];
      out += kHexDigits[b & 0xF];
    }
  }
  out += '"';
  return out;
}

CTableReport::CTableReport(std::ostream& report,
                           const CCharsetGuess::ConverterFor& converterFor)
    : report_(report), guess_(converterFor) {}

void CTableReport::Warn(std::size_t line, const std::string& what) {
  ++warnings;
  report_ << "line " << line << ": warning: " << what << '\n';
}

void CTableReport::OnIgnored(std::size_t line, std::string_view content,
                             LineFault fault) {
  ++ignored;
  report_ << "line " << line << ": ignored: " << WhyOf(fault, content) << '\n';
  if (line != 1) return;
  if (content.starts_with("\xFF\xFE") || content.starts_with("\xFE\xFF")) {
    Warn(line,
         "the file starts with a UTF-16 byte-order mark: no line of it can "
         "load (save the table as UTF-8)");
  }
}

void CTableReport::OnByteOrderMark() {
  ++notes;
  report_ << "line 1: note: the file starts with a UTF-8 byte-order mark, "
             "which is skipped\n";
}

void CTableReport::OnCut(std::size_t line) {
  // A very long line is cut many times; the user sees it once.
  if (line == lastCut_) return;
  lastCut_ = line;
  ++cut;
  report_ << "line " << line << ": cut at " << kMaxTableLine
          << " characters; the rest is read as further lines\n";
}

void CTableReport::OnSection(std::string_view name) {
  const auto [it, added] = sectionNumbers_.try_emplace(
      std::string(name), static_cast<std::uint32_t>(sections_.size()));
  if (added) {
    sections_.emplace_back(name);
    forwardLines_.emplace_back();
    reverseLines_.emplace_back();
  }
  section_ = it->second;
}

void CTableReport::OnEntry(std::size_t line, const CByteString& code,
                           const CByteString& text) {
  ++entries;
  code_ = AsString(code);
  text_ = AsString(text);
  const EntryKind kind = std::exchange(kind_, EntryKind::kText);
  forwardBefore_ = std::exchange(forwardLines_[section_][code_], {line, text_});
  // A switch code has no text: nothing to insert it from, nothing to warn
  // about.
  if (kind == EntryKind::kSwitch) return;
  reverseBefore_ = std::exchange(reverseLines_[section_][text_], {line, code_});

  if (text_.empty()) {
    Warn(line, "code " + CodeHex(code_) +
                   " has an empty text: dump drops it and insert never "
                   "writes it");
    return;
  }
  if (const char* fault = BlankFault(text_)) {
    Warn(line, "text " + QuotedText(text_) + " " + fault);
  }
  if (!IsValidUtf8(text_)) {
    ++notUtf8_;
    guess_.Observe(text_);
    Warn(line, "text is not valid UTF-8 (" + SpacedHex(text_, 8) + ")");
  }
}

void CTableReport::OnReplaced(std::size_t line, TableDictionary dictionary) {
  if (dictionary == TableDictionary::kForward) {
    if (forwardBefore_.value == text_) {
      ++duplicates;
      findings_.push_back(
          {line, "duplicate of line " + std::to_string(forwardBefore_.line)});
      return;
    }
    replacements_.push_back(
        {line, forwardBefore_.line, code_, forwardBefore_.value, section_});
  } else {
    replacements_.push_back(
        {line, reverseBefore_.line, reverseBefore_.value, text_, section_});
  }
}

void CTableReport::JudgeReplacements(const TableOf& tableOf) {
  // A pair replaced more than once (given again in between, or replaced in
  // both directions) is one finding, told by the last line that replaced it.
  std::map<std::tuple<std::uint32_t, std::string_view, std::string_view>,
           std::size_t>
      last;
  for (std::size_t i = 0; i < replacements_.size(); ++i) {
    const Replacement& r = replacements_[i];
    const auto [it, inserted] =
        last.try_emplace({r.section, r.code, r.text}, i);
    if (!inserted && replacements_[it->second].line <= r.line) it->second = i;
  }
  for (std::size_t i = 0; i < replacements_.size(); ++i) {
    const Replacement& r = replacements_[i];
    if (last.at({r.section, r.code, r.text}) != i) continue;
    const CCodeTable& table = tableOf(r.section);
    const CByteString* dumped = Lookup(*table.forward, r.code);
    // A later line gave the pair back.
    if (Holds(dumped, r.text)) continue;
    // An empty text is no key: it never inserts.
    const CByteString* inserted = Lookup(*table.reverse, r.text);
    const std::string code = CodeHex(r.code);
    // Only a loader that reports entries it does not store leaves a replaced
    // code out of the table.
    const std::string dumps =
        "code " + code +
        (dumped == nullptr
             ? " is not in the table"
             : " dumps as " + QuotedText(AsString(*dumped)) + " (line " +
                   std::to_string(forwardLines_[r.section][r.code].line) + ")");
    const std::string given =
        QuotedText(r.text) + " (line " + std::to_string(r.earlierLine) + ")";
    std::string what;
    if (Holds(inserted, r.code)) {
      ++aliases;
      what.append("alias: ").append(dumps).append("; ").append(given);
      what.append(" still inserts as ").append(code);
      findings_.push_back({r.line, std::move(what)});
      continue;
    }
    ++replaced;
    what.append("replacement: ").append(code).append("=").append(given);
    what.append(" is lost: ").append(dumps);
    if (inserted != nullptr) {
      what += ", " + QuotedText(r.text) + " inserts as " +
              CodeHex(AsString(*inserted)) + " (line " +
              std::to_string(reverseLines_[r.section][r.text].line) + ")";
    }
    findings_.push_back({r.line, std::move(what)});
  }
}

void CTableReport::FindSharedTexts(const TableOf& tableOf) {
  // By section and text.
  std::map<std::pair<std::uint32_t, std::string_view>,
           std::vector<std::pair<std::size_t, std::string_view>>>
      byText;
  for (std::uint32_t section = 0; section < forwardLines_.size(); ++section) {
    for (const auto& [code, entry] : forwardLines_[section]) {
      // What the table dumps, not what the lines said: a loader may keep an
      // entry for insert only.
      if (!entry.value.empty() &&
          Holds(Lookup(*tableOf(section).forward, code), entry.value)) {
        byText[{section, entry.value}].emplace_back(entry.line, code);
      }
    }
  }
  std::vector<Finding> shared;
  for (auto& [key, codes] : byText) {
    const auto& [section, text] = key;
    if (codes.size() < 2) continue;
    std::sort(codes.begin(), codes.end());
    std::string what =
        "warning: text " + QuotedText(text) + " is shared by codes ";
    const std::size_t named = std::min(codes.size(), kCodesNamed);
    for (std::size_t i = 0; i < named; ++i) {
      if (i > 0) what += i + 1 == codes.size() ? " and " : ", ";
      what += CodeHex(codes[i].second) + " (line " +
              std::to_string(codes[i].first) + ")";
    }
    if (codes.size() > named) {
      what += " and " + std::to_string(codes.size() - named) + " more";
    }
    if (const CByteString* written = Lookup(*tableOf(section).reverse, text)) {
      what += "; insert writes only " + CodeHex(AsString(*written));
    }
    shared.push_back({codes.back().first, std::move(what)});
  }
  // By line, and texts last given on one line by their text, so that the
  // report does not follow the map's order.
  std::sort(shared.begin(), shared.end(),
            [](const Finding& a, const Finding& b) {
              return a.line != b.line ? a.line < b.line : a.what < b.what;
            });
  warnings += shared.size();
  findings_.insert(findings_.end(), std::make_move_iterator(shared.begin()),
                   std::make_move_iterator(shared.end()));
}

CLoadObserver CTableReport::Observer(
    const std::function<void(std::size_t line, std::string& text)>&
        convertText) {
  CLoadObserver observer;
  observer.onIgnored = [this](std::size_t line, std::string_view content,
                              LineFault fault) {
    OnIgnored(line, content, fault);
  };
  observer.onCut = [this](std::size_t line) { OnCut(line); };
  observer.onByteOrderMark = [this] { OnByteOrderMark(); };
  observer.convertText = convertText;
  observer.onEntry = [this](std::size_t line, const CByteString& code,
                            const CByteString& text) {
    OnEntry(line, code, text);
  };
  observer.onReplaced = [this](std::size_t line, TableDictionary dictionary) {
    OnReplaced(line, dictionary);
  };
  observer.onSection = [this](std::size_t, std::string_view name) {
    OnSection(name);
  };
  observer.onEntryKind = [this](std::size_t, EntryKind kind) { kind_ = kind; };
  return observer;
}

void CTableReport::Finish(const CCodeTable& table) {
  Report([&table](std::uint32_t) -> const CCodeTable& { return table; });
}

void CTableReport::Finish(
    const std::function<const CCodeTable&(std::string_view section)>& tableOf) {
  Report([&](std::uint32_t section) -> const CCodeTable& {
    return tableOf(sections_[section]);
  });
}

void CTableReport::Report(const TableOf& tableOf) {
  JudgeReplacements(tableOf);
  FindSharedTexts(tableOf);
  // Duplicates come first on their line, as they were found first, then the
  // replacements, then the shared texts.
  std::stable_sort(
      findings_.begin(), findings_.end(),
      [](const Finding& a, const Finding& b) { return a.line < b.line; });
  for (const Finding& finding : findings_) {
    report_ << "line " << finding.line << ": " << finding.what << '\n';
  }
  if (notUtf8_ > 0) {
    const std::string guess = guess_.Guess();
    const std::string tried = guess_.Tried();
    report_ << "texts not valid UTF-8: "
            << (!guess.empty()
                    ? "looks like " + guess + "; try --table-encoding " + guess
                : tried.empty()
                    ? std::string("no guess")
                    : "no guess (they are not " + tried + " either)")
            << '\n';
  }
  if (warnings > 0) {
    report_ << Plural(warnings, "warning", "warnings") << '\n';
  }
  report_ << Plural(entries, "entry", "entries") << ", "
          << Plural(ignored, "ignored line", "ignored lines") << ", "
          << Plural(cut, "cut line", "cut lines") << ", "
          << Plural(aliases, "alias", "aliases") << ", "
          << Plural(duplicates, "duplicate", "duplicates") << ", "
          << Plural(replaced, "replacement", "replacements") << '\n';
}

std::unique_ptr<CCodeTable> CTableReport::Run(
    std::istream& table,
    const std::function<void(std::size_t line, std::string& text)>&
        convertText) {
  auto loaded = Load(table, Observer(convertText));
  Finish(*loaded);
  return loaded;
}

std::string CodeHex(std::string_view code) {
  std::string hex(2 * code.size(), '\0');
  WriteHex({reinterpret_cast<const unsigned char*>(code.data()), code.size()},
           hex.data());
  return hex;
}

}  // namespace dalvren
