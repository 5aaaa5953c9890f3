#include "app/FieldCount.h"

#include "core/HexCodec.h"
#include "core/Utf8.h"

namespace dalvren {

namespace {

constexpr char16_t kEscapeBase = 0xDC00;

bool IsBreak(char16_t u) {
  return u == 0x2028 || u == 0x2029 || u == 0xFDD0 || u == 0xFDD1;
}

// How many of the field's bytes stand for the code unit `u` that are no
// blank to the hex reader; the low half of a surrogate pair counts none,
// since its high half counts the pair.
int HexUnits(char16_t u, bool pairHigh, bool pairLow) {
  if (u < 0x80) return IsHexBlank(static_cast<char>(u)) ? 0 : 1;
  if (pairHigh) return 4;
  if (pairLow) return 0;
  if (IsBreak(u) || u == kEscapeBase + u'\r') return 0;
  if (u >= kEscapeBase + 0x80 && u <= kEscapeBase + 0xFF) return 1;
  return u < 0x800 ? 2 : 3;  // a lone surrogate is written as U+FFFD
}

bool IsEscape(char16_t u) {
  return u == kEscapeBase + u'\r' ||
         (u >= kEscapeBase + 0x80 && u <= kEscapeBase + 0xFF);
}

// How many code units of `text` from `i`, an escape, make one character of
// the field's bytes: the escapes of a character a document does not keep
// (U+2028 and the like) are one character, any other escape one each.
qsizetype EscapedCharacter(QStringView text, qsizetype i) {
  // A lead byte not followed by an escaped continuation byte stands alone.
  if (i + 1 >= text.size() || text[i + 1].unicode() < kEscapeBase + 0x80 ||
      text[i + 1].unicode() > kEscapeBase + 0xBF) {
    return 1;
  }
  unsigned char bytes[4];
  std::size_t n = 0;
  while (n < 4 && i + static_cast<qsizetype>(n) < text.size() &&
         IsEscape(text[i + static_cast<qsizetype>(n)].unicode())) {
    bytes[n] = static_cast<unsigned char>(
        text[i + static_cast<qsizetype>(n)].unicode() - kEscapeBase);
    ++n;
  }
  return static_cast<qsizetype>(Utf8CharLength({bytes, n}));
}

std::uint64_t CountHex(QStringView text) {
  std::uint64_t units = 0;
  bool lowOfPair = false;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t u = text[i].unicode();
    if (u == 0) break;
    const bool pairLow = lowOfPair;
    const bool pairHigh = QChar::isHighSurrogate(u) && i + 1 < text.size() &&
                          text[i + 1].isLowSurrogate();
    lowOfPair = pairHigh;
    units += static_cast<std::uint64_t>(HexUnits(u, pairHigh, pairLow));
  }
  return units / 2;
}

}  // namespace

std::uint64_t CountFieldText(QStringView text, bool hex) {
  if (hex) return CountHex(text);
  std::uint64_t count = 0;
  for (qsizetype i = 0; i < text.size(); ++count) {
    const char16_t u = text[i].unicode();
    if (u == 0) break;
    if (QChar::isHighSurrogate(u) && i + 1 < text.size() &&
        text[i + 1].isLowSurrogate()) {
      i += 2;
    } else {
      // Only an escaped lead byte can begin a character of several.
      i += IsEscape(u) && u >= kEscapeBase + 0xC0 ? EscapedCharacter(text, i)
                                                  : 1;
    }
  }
  return count;
}

}  // namespace dalvren
