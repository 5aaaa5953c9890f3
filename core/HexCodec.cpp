#include "core/HexCodec.h"

#include <cstring>
#include <string>

namespace dalvren {

namespace {

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return c - 'a' + 10;
}

}  // namespace

unsigned char HexPairValue(char first, char second) {
  // With only two characters, strtol's leading white space can only be the
  // first one, and a sign leaves room for at most one digit. A "0x" prefix
  // needs a digit after it to count, which two characters never have, so
  // "0x" reads as the digit 0 followed by a stop.
  if (IsHexBlank(first)) {
    return IsHexDigit(second) ? static_cast<unsigned char>(DigitValue(second))
                              : 0;
  }
  if (first == '-' || first == '+') {
    if (!IsHexDigit(second)) return 0;
    const int digit = DigitValue(second);
    return static_cast<unsigned char>(first == '-' ? -digit : digit);
  }
  if (!IsHexDigit(first)) return 0;
  if (!IsHexDigit(second)) return static_cast<unsigned char>(DigitValue(first));
  return static_cast<unsigned char>(DigitValue(first) * 16 +
                                    DigitValue(second));
}

char* WriteHex(std::span<const unsigned char> bytes, char* out) {
  for (const unsigned char b : bytes) {
    *out++ = kHexDigits[b >> 4];
    *out++ = kHexDigits[b & 0x0F];
  }
  return out;
}

std::unique_ptr<CByteString> FromHex(const char* text) {
  if (text == nullptr) return nullptr;
  std::string bytes;
  bytes.reserve(std::strlen(text) / 2);
  const char* p = text;
  for (;;) {
    while (IsHexBlank(*p)) ++p;
    if (*p == '\0') break;
    const char first = *p++;
    while (IsHexBlank(*p)) ++p;
    if (*p == '\0') break;
    const char second = *p++;
    bytes.push_back(static_cast<char>(HexPairValue(first, second)));
  }
  return NewByteString(bytes.data(), static_cast<std::int32_t>(bytes.size()));
}

}  // namespace dalvren
