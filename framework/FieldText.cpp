#include "FieldText.h"

#include <QStringDecoder>
#include <algorithm>

namespace {

constexpr char16_t kEscapeBase = 0xDC00;
constexpr char32_t kReplacement = 0xFFFD;

// The length of the valid UTF-8 sequence at the start of `s`, or 0 when it
// does not start with one. Overlong forms, surrogates and values past
// U+10FFFF are not valid.
std::size_t ValidSequenceLength(std::string_view s, char32_t& code) {
  const auto b0 = static_cast<unsigned char>(s[0]);
  std::size_t n;
  char32_t min;
  if (b0 < 0x80) {
    code = b0;
    return 1;
  } else if (b0 >= 0xC2 && b0 <= 0xDF) {
    n = 2, min = 0x80, code = b0 & 0x1F;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    n = 3, min = 0x800, code = b0 & 0x0F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    n = 4, min = 0x10000, code = b0 & 0x07;
  } else {
    return 0;
  }
  if (s.size() < n) return 0;
  for (std::size_t i = 1; i < n; ++i) {
    const auto b = static_cast<unsigned char>(s[i]);
    if ((b & 0xC0) != 0x80) return 0;
    code = (code << 6) | (b & 0x3F);
  }
  if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
    return 0;
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

}  // namespace

QString FieldTextFromBytes(std::string_view bytes) {
  // Most fields are valid UTF-8 throughout; Qt's own decoder is much faster
  // on them, and only when it meets an error do the escapes need making.
  QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString fast = decoder.decode(
      QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
  if (!decoder.hasError()) return fast;

  QString text;
  text.reserve(static_cast<qsizetype>(bytes.size()));
  std::size_t i = 0;
  while (i < bytes.size()) {
    // Plain ASCII dominates every field; take runs of it without decoding.
    std::size_t run = i;
    while (run < bytes.size() && static_cast<unsigned char>(bytes[run]) < 0x80)
      ++run;
    if (run > i) {
      text.append(
          QLatin1StringView(bytes.data() + i, static_cast<qsizetype>(run - i)));
      i = run;
      continue;
    }
    char32_t code = 0;
    const std::size_t n = ValidSequenceLength(bytes.substr(i), code);
    if (n == 0) {
      text.append(QChar(static_cast<char16_t>(
          kEscapeBase + static_cast<unsigned char>(bytes[i]))));
      ++i;
    } else {
      if (QChar::requiresSurrogates(code)) {
        text.append(QChar(QChar::highSurrogate(code)));
        text.append(QChar(QChar::lowSurrogate(code)));
      } else {
        text.append(QChar(static_cast<char16_t>(code)));
      }
      i += n;
    }
  }
  return text;
}

std::string BytesFromFieldText(const QString& text) {
  const auto isSurrogate = [](QChar c) { return c.isSurrogate(); };
  if (std::none_of(text.begin(), text.end(), isSurrogate)) {
    const QByteArray utf8 = text.toUtf8();
    return {utf8.constData(), static_cast<std::size_t>(utf8.size())};
  }
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(text.size()));
  const auto* p = reinterpret_cast<const char16_t*>(text.utf16());
  const char16_t* end = p + text.size();
  while (p < end) {
    const char16_t u = *p++;
    if (u < 0x80) {
      bytes.push_back(static_cast<char>(u));
    } else if (QChar::isHighSurrogate(u) && p < end &&
               QChar::isLowSurrogate(*p)) {
      AppendUtf8(bytes, QChar::surrogateToUcs4(u, *p++));
    } else if (u >= kEscapeBase + 0x80 && u <= kEscapeBase + 0xFF) {
      bytes.push_back(static_cast<char>(u - kEscapeBase));
    } else if (QChar::isSurrogate(u)) {
      AppendUtf8(bytes, kReplacement);
    } else {
      AppendUtf8(bytes, u);
    }
  }
  return bytes;
}
