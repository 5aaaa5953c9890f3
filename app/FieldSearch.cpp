#include "app/FieldSearch.h"

#include <algorithm>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/HexCodec.h"

namespace dalvren {

namespace {

constexpr char16_t kEscapeBase = 0xDC00;

// A byte of a Hex field: its value and the characters its two digits span.
struct CHexByte {
  unsigned char value = 0;
  qsizetype from = 0;
  qsizetype to = 0;
};

// A byte of the field's text as a conversion reads it (the field's UTF-8)
// and the characters it belongs to: one for an ASCII character or an
// escape, several for the bytes of a longer character.
struct CUnit {
  char byte;
  qsizetype from;
  qsizetype to;
};

bool IsLineBreak(QChar c) {
  return c == QChar::ParagraphSeparator || c == QChar::LineSeparator;
}

// Calls `take` for each byte of the text of `text` that is no blank, in
// order; stops when it returns false.
void ForEachUnit(const QString& text,
                 const std::function<bool(const CUnit&)>& take) {
  for (qsizetype i = 0; i < text.size();) {
    const char16_t u = text[i].unicode();
    if (IsLineBreak(text[i]) ||
        (u < 0x80 && IsHexBlank(static_cast<char>(u)))) {
      ++i;
      continue;
    }
    qsizetype next = i + 1;
    const bool escape = u == kEscapeBase + u'\r' ||
                        (u >= kEscapeBase + 0x80 && u <= kEscapeBase + 0xFF);
    if (u < 0x80 || escape) {
      const char byte = static_cast<char>(u < 0x80 ? u : u - kEscapeBase);
      if (!take({byte, i, next})) return;
      i = next;
      continue;
    }
    if (QChar::isHighSurrogate(u) && next < text.size() &&
        text[next].isLowSurrogate()) {
      ++next;
    }
    for (const char byte : text.sliced(i, next - i).toStdString()) {
      if (!take({byte, i, next})) return;
    }
    i = next;
  }
}

// Calls `take` for each byte of a Hex field's text, paired as FromHex pairs
// the digits; stops when it returns false.
void ForEachHexByte(const QString& text,
                    const std::function<bool(const CHexByte&)>& take) {
  std::optional<CUnit> first;
  ForEachUnit(text, [&](const CUnit& unit) {
    if (!first) {
      first = unit;
      return true;
    }
    const CHexByte byte{HexPairValue(first->byte, unit.byte), first->from,
                        unit.to};
    first.reset();
    return take(byte);
  });
}

std::string HexBytesOf(const QString& digits) {
  const std::unique_ptr<CByteString> bytes =
      FromHex(digits.toLatin1().constData());
  return {bytes->data.get(), static_cast<std::size_t>(bytes->len)};
}

// Calls `take` for each match of `search` in `text` from the start, matches
// not overlapping; stops when it returns false.
void ForEachMatch(const QString& text, const CSearch& search,
                  const std::function<bool(const CFieldMatch&)>& take) {
  if (!search.hex) {
    const Qt::CaseSensitivity cs =
        search.matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
    for (qsizetype at = text.indexOf(search.what, 0, cs); at >= 0;
         at = text.indexOf(search.what, at + search.what.size(), cs)) {
      if (!take({at, at + search.what.size()})) return;
    }
    return;
  }
  const std::string pattern = HexBytesOf(search.what);
  std::deque<CHexByte> window;
  ForEachHexByte(text, [&](const CHexByte& byte) {
    window.push_back(byte);
    if (window.size() > pattern.size()) window.pop_front();
    if (window.size() < pattern.size()) return true;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
      if (window[i].value != static_cast<unsigned char>(pattern[i])) {
        return true;
      }
    }
    const CFieldMatch match{window.front().from, window.back().to};
    window.clear();
    return take(match);
  });
}

}  // namespace

QString HexProblem(const QString& digits, bool emptyOk) {
  qsizetype count = 0;
  for (const QChar c : digits) {
    if (c.unicode() < 0x80 && IsHexDigit(static_cast<char>(c.unicode()))) {
      ++count;
    } else if (!(c.unicode() < 0x80 &&
                 IsHexBlank(static_cast<char>(c.unicode())))) {
      return QStringLiteral(
          "In a Hex field, type hexadecimal digits (0-9, A-F) and blanks.");
    }
  }
  if (count % 2 != 0) {
    return QStringLiteral("Type two hexadecimal digits for each byte.");
  }
  if (count == 0 && !emptyOk) {
    return QStringLiteral("Type the bytes to find as hexadecimal digits.");
  }
  return {};
}

std::optional<CFieldMatch> FindInField(const QString& text,
                                       const CSearch& search, qsizetype from) {
  std::optional<CFieldMatch> first;
  std::optional<CFieldMatch> found;
  ForEachMatch(text, search, [&](const CFieldMatch& match) {
    if (!first) first = match;
    if (match.from < from) return true;
    found = match;
    return false;
  });
  return found ? found : first;
}

QString Replacement(const CSearch& search, const QString& with,
                    QStringView matched) {
  if (!search.hex) return with;
  const std::string bytes = HexBytesOf(with);
  const bool spaced = std::any_of(matched.begin(), matched.end(), [](QChar c) {
    return IsLineBreak(c) ||
           (c.unicode() < 0x80 && IsHexBlank(static_cast<char>(c.unicode())));
  });
  QString digits;
  for (const char byte : bytes) {
    if (spaced && !digits.isEmpty()) digits += QLatin1Char(' ');
    const auto b = static_cast<unsigned char>(byte);
    digits += QLatin1Char(kHexDigits[b >> 4]);
    digits += QLatin1Char(kHexDigits[b & 0xF]);
  }
  return digits;
}

QString ReplaceAllInField(const QString& text, const CSearch& search,
                          const QString& with, qsizetype* count) {
  QString result;
  qsizetype copied = 0;
  *count = 0;
  ForEachMatch(text, search, [&](const CFieldMatch& match) {
    const QStringView matched =
        QStringView(text).sliced(match.from, match.to - match.from);
    result += QStringView(text).sliced(copied, match.from - copied);
    result += Replacement(search, with, matched);
    copied = match.to;
    ++*count;
    return true;
  });
  result += QStringView(text).sliced(copied);
  return result;
}

}  // namespace dalvren
