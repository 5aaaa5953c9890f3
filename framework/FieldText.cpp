#include "framework/FieldText.h"

#include <QStringDecoder>
#include <algorithm>

#include <QUtf8StringView>

namespace dalvren {

namespace {

constexpr char16_t kEscapeBase = 0xDC00;
constexpr char32_t kReplacement = 0xFFFD;

// Whether a text document keeps `c` as itself; see the header for the ones
// it does not.
bool HeldAsItself(char32_t c) {
  return c != u'\r' && c != 0x2028 && c != 0x2029 && c != 0xFDD0 && c != 0xFDD1;
}

// A break that a document holds or reports in place of a line feed.
bool IsBreak(char16_t u) {
  return u == 0x2028 || u == 0x2029 || u == 0xFDD0 || u == 0xFDD1;
}

bool IsEscape(char16_t u) {
  return u == kEscapeBase + u'\r' ||
         (u >= kEscapeBase + 0x80 && u <= kEscapeBase + 0xFF);
}

// The length of the valid UTF-8 sequence at the start of `s`, or 0 when it
// does not start with one, and its code point in `code`. The length is the
// one its lead byte announces; whether the bytes are valid (no overlong
// form, surrogate or value past U+10FFFF) is Qt's decoder's call, so that
// the rules live in one place on this side of the program.
std::size_t ValidSequenceLength(std::string_view s, char32_t& code) {
  const auto lead = static_cast<unsigned char>(s[0]);
  if (lead < 0x80) {
    code = lead;
    return 1;
  }
  const std::size_t n = lead < 0xC0   ? 0
                        : lead < 0xE0 ? 2
                        : lead < 0xF0 ? 3
                        : lead < 0xF8 ? 4
                                      : 0;
  if (n == 0 || s.size() < n) return 0;
  // Most bytes that are not UTF-8 fail here, before the decoder is asked.
  for (std::size_t i = 1; i < n; ++i) {
    if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) return 0;
  }
  if (!QUtf8StringView(s.data(), static_cast<qsizetype>(n)).isValidUtf8()) {
    return 0;
  }
  code = lead & (0x7F >> n);
  for (std::size_t i = 1; i < n; ++i) {
    code = (code << 6) | (static_cast<unsigned char>(s[i]) & 0x3F);
  }
  return n;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

std::string Utf8Of(const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  return {utf8.constData(), static_cast<std::size_t>(utf8.size())};
}

// Walks `text` code point by code point: `pair` gets each valid surrogate
// pair's value, `single` every other code unit, lone surrogates included.
template <typename Pair, typename Single>
void ForEachCodePoint(const QString& text, Pair pair, Single single) {
  const auto* p = reinterpret_cast<const char16_t*>(text.utf16());
  const char16_t* end = p + text.size();
  while (p < end) {
    const char16_t u = *p++;
    if (QChar::isHighSurrogate(u) && p < end && QChar::isLowSurrogate(*p)) {
      pair(QChar::surrogateToUcs4(u, *p++));
    } else {
      single(u);
    }
  }
}

// Whether every byte is ASCII other than CR: the bytes are then the field
// text's characters one for one. Written as one pass without early exit,
// which the compiler turns into wide compares.
bool IsPlainAscii(std::string_view bytes) {
  unsigned char seen = 0;
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    seen |= static_cast<unsigned char>(b | (b == '\r' ? 0x80 : 0));
  }
  return seen < 0x80;
}

// The largest code unit of `text`, 0 for none: below 0x80 the text is ASCII,
// below 0x2028 it holds neither a surrogate nor a break.
char16_t LargestCodeUnit(const QString& text) {
  const auto* units = reinterpret_cast<const char16_t*>(text.utf16());
  char16_t largest = 0;
  for (qsizetype i = 0; i < text.size(); ++i) {
    largest = std::max(largest, units[i]);
  }
  return largest;
}

}  // namespace

QString FieldTextFromBytes(std::string_view bytes) {
  // Hex digits and plain text, the bulk of large fields.
  if (IsPlainAscii(bytes)) {
    return QString::fromLatin1(bytes.data(),
                               static_cast<qsizetype>(bytes.size()));
  }
  // Most other fields are valid UTF-8 without a character that needs
  // escaping; Qt's own decoder is much faster on them. Its default drops a
  // leading byte-order mark, which is a character of the field like any
  // other.
  QStringDecoder decoder(QStringDecoder::Utf8,
                         QStringDecoder::Flag::Stateless |
                             QStringDecoder::Flag::ConvertInitialBom);
  QString fast = decoder.decode(
      QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
  if (!decoder.hasError() &&
      std::all_of(fast.cbegin(), fast.cend(),
                  [](QChar c) { return HeldAsItself(c.unicode()); })) {
    return fast;
  }

  // Each byte gives at most one code unit: written in place, not appended.
  QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
  auto* const first = reinterpret_cast<char16_t*>(text.data());
  char16_t* out = first;
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    // Plain ASCII dominates every field; it needs no decoding.
    if (byte < 0x80 && byte != '\r') {
      *out++ = byte;
      ++i;
      continue;
    }
    char32_t code = 0;
    const std::size_t n = ValidSequenceLength(bytes.substr(i), code);
    if (n == 0 || !HeldAsItself(code)) {
      for (const std::size_t stop = i + std::max<std::size_t>(n, 1); i < stop;
           ++i) {
        *out++ = static_cast<char16_t>(kEscapeBase +
                                       static_cast<unsigned char>(bytes[i]));
      }
    } else if (QChar::requiresSurrogates(code)) {
      *out++ = QChar::highSurrogate(code);
      *out++ = QChar::lowSurrogate(code);
      i += n;
    } else {
      *out++ = static_cast<char16_t>(code);
      i += n;
    }
  }
  text.resize(out - first);
  return text;
}

std::string BytesFromFieldText(const QString& text) {
  const char16_t largest = LargestCodeUnit(text);
  if (largest < 0x80) {
    // ASCII: each character is its byte, without the detour of a
    // QByteArray.
    const auto* units = reinterpret_cast<const char16_t*>(text.utf16());
    return std::string(units, units + text.size());
  }
  if (largest < 0x2028) return Utf8Of(text);
  bool surrogates = false;
  bool breaks = false;
  for (const QChar c : text) {
    surrogates = surrogates || c.isSurrogate();
    breaks = breaks || IsBreak(c.unicode());
  }
  if (!surrogates) {
    if (!breaks) return Utf8Of(text);
    QString lines = text;
    for (QChar& c : lines) {
      if (IsBreak(c.unicode())) c = QLatin1Char('\n');
    }
    return Utf8Of(lines);
  }
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(text.size()));
  ForEachCodePoint(
      text, [&bytes](char32_t c) { AppendUtf8(bytes, c); },
      [&bytes](char16_t u) {
        if (IsEscape(u)) {
          bytes.push_back(static_cast<char>(u - kEscapeBase));
        } else if (IsBreak(u)) {
          bytes.push_back('\n');
        } else {
          AppendUtf8(bytes, QChar::isSurrogate(u) ? kReplacement : u);
        }
      });
  return bytes;
}

QString PortableTextFromFieldText(const QString& text) {
  QString portable;
  portable.reserve(text.size());
  ForEachCodePoint(
      text, [&portable](char32_t c) { portable.append(QChar::fromUcs4(c)); },
      [&portable](char16_t u) {
        if (QChar::isSurrogate(u)) {
          portable.append(QChar(kReplacement));
        } else {
          portable.append(IsBreak(u) ? QChar(u'\n') : QChar(u));
        }
      });
  return portable;
}

std::string Utf8FromText(const QString& text) {
  const auto isSurrogate = [](QChar c) { return c.isSurrogate(); };
  if (std::none_of(text.cbegin(), text.cend(), isSurrogate)) {
    return Utf8Of(text);
  }
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(text.size()));
  ForEachCodePoint(
      text, [&bytes](char32_t c) { AppendUtf8(bytes, c); },
      [&bytes](char16_t u) {
        AppendUtf8(bytes, QChar::isSurrogate(u) ? kReplacement : u);
      });
  return bytes;
}

}  // namespace dalvren
