#include "TableCheck.h"

namespace {

const char* Why(LineFault fault) {
  switch (fault) {
    case LineFault::kNoEquals:
      return "no \"=\"";
    case LineFault::kOddCodeLength:
      return "code of odd length";
    case LineFault::kCodeNotHex:
      return "code not starting with a hexadecimal digit";
  }
  return "not an entry";
}

std::string Count(std::size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string AsString(const CByteString& s) {
  return std::string(s.data.get(), static_cast<std::size_t>(s.len));
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
  static constexpr char kDigits[] = "0123456789ABCDEF";
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
      out += kDigits[b >> 4];
      out += kDigits[b & 0xF];
    }
  }
  out += '"';
  return out;
}

CTableCheck::CTableCheck(std::ostream& report) : report_(report) {}

void CTableCheck::OnEntry(std::size_t line, const CByteString& code,
                          const CByteString& text) {
  ++entries;
  code_ = AsString(code);
  text_ = AsString(text);
  replacesForward_ = Remember(forwardLines_, code_, line);
  // An empty text is no key of the reverse dictionary and replaces nothing.
  replacesReverse_ = text_.empty() ? 0 : Remember(reverseLines_, text_, line);
}

void CTableCheck::OnReplaced(std::size_t line, Direction direction) {
  ++replaced;
  const bool forward = direction == Direction::kForward;
  const std::size_t earlier = forward ? replacesForward_ : replacesReverse_;
  std::string key;
  if (forward) {
    key = "code " +
          std::string(NewByteString(code_.data(),
                                    static_cast<std::int32_t>(code_.size()))
                          ->ToHex()
                          .get());
  } else {
    key = "text " + QuotedText(text_);
  }
  report_ << "line " << line << ": replaces line " << earlier << " ("
          << (forward ? "forward, " : "reverse, ") << key << ")\n";
}

std::unique_ptr<CCodeTable> CTableCheck::Run(std::istream& table) {
  CLoadObserver observer;
  observer.onIgnored = [this](std::size_t line, std::string_view,
                              LineFault fault) {
    ++ignored;
    report_ << "line " << line << ": ignored: " << Why(fault) << '\n';
  };
  observer.onCut = [this](std::size_t line) {
    // A very long line is cut many times; the user sees it once.
    if (line == lastCut_) return;
    lastCut_ = line;
    ++cut;
    report_ << "line " << line << ": cut at " << kMaxTableLine
            << " characters; the rest is read as further lines\n";
  };
  observer.onEntry = [this](std::size_t line, const CByteString& code,
                            const CByteString& text) {
    OnEntry(line, code, text);
  };
  observer.onReplaced = [this](std::size_t line, Direction direction) {
    OnReplaced(line, direction);
  };
  auto loaded = Load(table, observer);
  report_ << Count(entries, "entry", "entries") << ", "
          << Count(ignored, "ignored line", "ignored lines") << ", "
          << Count(cut, "cut line", "cut lines") << ", "
          << Count(replaced, "replacement", "replacements") << '\n';
  return loaded;
}
