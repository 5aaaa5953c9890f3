// Byte strings for testing that a field gives back exactly the bytes put
// into it: random strings weighted towards what a text field could lose,
// and UTF-8 of single code points.
#pragma once

#include <random>
#include <string>

namespace dalvren::test {

// The UTF-8 of code point `c` (any value up to U+10FFFF, surrogates
// included, so that invalid sequences can be written too).
inline std::string Utf8(char32_t c) {
  std::string s;
  if (c < 0x80) {
    s += static_cast<char>(c);
  } else if (c < 0x800) {
    s += static_cast<char>(0xC0 | (c >> 6));
    s += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    s += static_cast<char>(0xE0 | (c >> 12));
    s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    s += static_cast<char>(0xF0 | (c >> 18));
    s += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (c & 0x3F));
  }
  return s;
}

// A random byte string without zero bytes, of up to `maxPieces` pieces:
// plain letters, the characters a text document changes or reads back
// changed (CR, U+00A0, U+2028, U+2029, U+FDD0, U+FDD1, U+FEFF), U+FFFD
// itself, control characters, any valid code point, stray bytes, cut and
// overlong sequences and encoded surrogates. Without `lineEnds` it holds no
// LF and no CR.
inline std::string RandomFieldBytes(std::mt19937& random, bool lineEnds,
                                    int maxPieces = 40) {
  const auto pick = [&random](unsigned low, unsigned high) {
    return std::uniform_int_distribution<unsigned>(low, high)(random);
  };
  std::string bytes;
  const unsigned pieces = pick(0, static_cast<unsigned>(maxPieces));
  for (unsigned i = 0; i < pieces; ++i) {
    std::string piece;
    switch (pick(0, 12)) {
      case 0:
        piece = static_cast<char>(pick(0x20, 0x7E));
        break;
      case 1:
        piece = lineEnds ? "\r" : "x";
        break;
      case 2:
        piece = lineEnds ? (pick(0, 1) != 0 ? "\n" : "\r\n") : "y";
        break;
      case 3: {
        static constexpr char32_t kChanged[] = {0xA0,   0x2028, 0x2029, 0xFDD0,
                                                0xFDD1, 0xFEFF, 0xFFFD, 0xFFFC};
        piece = Utf8(kChanged[pick(0, std::size(kChanged) - 1)]);
        break;
      }
      case 4:
        piece = static_cast<char>(pick(1, 0x1F));
        break;
      case 5:
      case 6: {
        char32_t c = pick(1, 0x10FFFF);
        if (c >= 0xD800 && c <= 0xDFFF) c -= 0x800;
        piece = Utf8(c);
        break;
      }
      case 7:
        piece = static_cast<char>(pick(0x80, 0xFF));
        break;
      case 8: {
        // A sequence cut short.
        const std::string whole = Utf8(pick(0x800, 0x10FFFF) | 0x800);
        piece =
            whole.substr(0, pick(1, static_cast<unsigned>(whole.size()) - 1));
        break;
      }
      case 9:
        piece = "\xC0\xAF";  // overlong "/"
        break;
      case 10:
        piece = Utf8(pick(0xD800, 0xDFFF));
        break;
      case 11:
        piece = "\xEF\xBB\xBF";
        break;
      default:
        piece = Utf8(pick(0x80, 0x7FF));
        break;
    }
    if (!lineEnds && piece.find_first_of("\r\n") != std::string::npos) {
      continue;
    }
    bytes += piece;
  }
  return bytes;
}

}  // namespace dalvren::test
