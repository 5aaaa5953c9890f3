#include "cli/TableCheck.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "cli/Plural.h"
#include "cli/SpacedHex.h"
#include "core/HexCodec.h"
#include "core/Utf8.h"

namespace dalvren {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

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

std::string AsString(const CByteString& s) {
  return std::string(s.data.get(), static_cast<std::size_t>(s.len));
}

std::string CodeHex(std::string_view code) {
  return NewByteString(code.data(), static_cast<std::int32_t>(code.size()))
      ->ToHex()
      .get();
}

std::int64_t Signed(std::size_t n) { return static_cast<std::int64_t>(n); }

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

// Records that `line` now gives `key`; returns the line that gave it
// before, or 0.
std::size_t Remember(std::unordered_map<std::string, std::size_t>& lines,
                     const std::string& key, std::size_t line) {
  const auto [it, inserted] = lines.try_emplace(key, line);
  if (inserted) return 0;
  const std::size_t earlier = it->second;
  it->second = line;
  return earlier;
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

CTableCheck::CTableCheck(std::ostream& report) : report_(report) {}

void CTableCheck::Warn(std::size_t line, const std::string& what) {
  ++warnings;
  report_ << "line " << line << ": warning: " << what << '\n';
}

void CTableCheck::OnIgnored(std::size_t line, std::string_view content,
                            LineFault fault) {
  ++ignored;
  report_ << "line " << line << ": ignored: " << Why(fault) << '\n';
  if (line != 1) return;
  if (content.starts_with(kUtf8Mark)) {
    const std::string_view rest = content.substr(kUtf8Mark.size());
    const bool entry = !rest.empty() && IsHexDigit(rest[0]) &&
                       rest.find('=') != std::string_view::npos;
    Warn(line, std::string("the file starts with a UTF-8 byte-order mark") +
                   (entry ? ", which hides the code of this line: its entry "
                            "is lost"
                          : "") +
                   " (save the table without it)");
  } else if (content.starts_with("\xFF\xFE") ||
             content.starts_with("\xFE\xFF")) {
    Warn(line,
         "the file starts with a UTF-16 byte-order mark: no line of it can "
         "load (save the table as UTF-8)");
  }
}

void CTableCheck::OnEntry(std::size_t line, const CByteString& code,
                          const CByteString& text) {
  ++entries;
  code_ = AsString(code);
  text_ = AsString(text);
  CodeEntry& last = forwardLines_[code_];
  replacesForward_ = last.line;
  last = {line, text_};
  // An empty text is no key of the reverse dictionary and replaces nothing.
  replacesReverse_ = text_.empty() ? 0 : Remember(reverseLines_, text_, line);

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

void CTableCheck::ReportSharedTexts(const CCodeTable& table) {
  std::unordered_map<std::string_view,
                     std::vector<std::pair<std::size_t, std::string_view>>>
      byText;
  for (const auto& [code, entry] : forwardLines_) {
    if (!entry.text.empty()) byText[entry.text].emplace_back(entry.line, code);
  }
  std::vector<std::pair<std::size_t, std::string>> shared;
  for (auto& [text, codes] : byText) {
    if (codes.size() < 2) continue;
    std::sort(codes.begin(), codes.end());
    std::string what = "text " + QuotedText(text) + " is shared by codes ";
    const std::size_t named = std::min(codes.size(), kCodesNamed);
    for (std::size_t i = 0; i < named; ++i) {
      if (i > 0) what += i + 1 == codes.size() ? " and " : ", ";
      what += CodeHex(codes[i].second) + " (line " +
              std::to_string(codes[i].first) + ")";
    }
    if (codes.size() > named) {
      what += " and " + std::to_string(codes.size() - named) + " more";
    }
    const CByteString* written = table.reverse->Find(
        {reinterpret_cast<const unsigned char*>(text.data()), text.size()});
    if (written != nullptr) {
      what += "; insert writes only " + CodeHex(AsString(*written));
    }
    shared.emplace_back(codes.back().first, std::move(what));
  }
  std::sort(shared.begin(), shared.end());
  for (const auto& [line, what] : shared) Warn(line, what);
}

void CTableCheck::OnReplaced(std::size_t line, TableDictionary dictionary) {
  ++replaced;
  const bool forward = dictionary == TableDictionary::kForward;
  const std::size_t earlier = forward ? replacesForward_ : replacesReverse_;
  const std::string key =
      forward ? "code " + CodeHex(code_) : "text " + QuotedText(text_);
  report_ << "line " << line << ": replaces line " << earlier << " ("
          << (forward ? "forward, " : "reverse, ") << key << ")\n";
}

std::unique_ptr<CCodeTable> CTableCheck::Run(
    std::istream& table,
    const std::function<void(std::size_t line, std::string& text)>&
        convertText) {
  CLoadObserver observer;
  observer.onIgnored = [this](std::size_t line, std::string_view content,
                              LineFault fault) {
    OnIgnored(line, content, fault);
  };
  observer.onCut = [this](std::size_t line) {
    // A very long line is cut many times; the user sees it once.
    if (line == lastCut_) return;
    lastCut_ = line;
    ++cut;
    report_ << "line " << line << ": cut at " << kMaxTableLine
            << " characters; the rest is read as further lines\n";
  };
  observer.convertText = convertText;
  observer.onEntry = [this](std::size_t line, const CByteString& code,
                            const CByteString& text) {
    OnEntry(line, code, text);
  };
  observer.onReplaced = [this](std::size_t line, TableDictionary dictionary) {
    OnReplaced(line, dictionary);
  };
  auto loaded = Load(table, observer);
  ReportSharedTexts(*loaded);
  if (notUtf8_ > 0) {
    const std::string guess = guess_.Guess();
    report_ << "texts not valid UTF-8: "
            << (guess.empty()
                    ? "no guess (they are not " + guess_.Tried() + " either)"
                    : "looks like " + guess + "; try --table-encoding " + guess)
            << '\n';
  }
  if (warnings > 0) {
    report_ << Plural(Signed(warnings), "warning", "warnings") << '\n';
  }
  report_ << Plural(Signed(entries), "entry", "entries") << ", "
          << Plural(Signed(ignored), "ignored line", "ignored lines") << ", "
          << Plural(Signed(cut), "cut line", "cut lines") << ", "
          << Plural(Signed(replaced), "replacement", "replacements") << '\n';
  return loaded;
}

}  // namespace dalvren
