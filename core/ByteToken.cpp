#include "core/ByteToken.h"

#include "core/HexCodec.h"

namespace dalvren {

void AppendByteToken(unsigned char byte, std::string& out) {
  out += "<$";
  out += kHexDigits[byte >> 4];
  out += kHexDigits[byte & 0xF];
  out += '>';
}

bool ReadByteToken(std::span<const unsigned char> text, unsigned char& byte) {
  if (text.size() < kByteTokenLength || text[0] != '<' || text[1] != '$' ||
      text[4] != '>') {
    return false;
  }
  const char high = static_cast<char>(text[2]);
  const char low = static_cast<char>(text[3]);
  // HexPairValue alone would also take signs and blanks; a token is exactly
  // two digits.
  if (!IsHexDigit(high) || !IsHexDigit(low)) return false;
  byte = HexPairValue(high, low);
  return true;
}

CTranslateHooks TokenWritingHooks() {
  CTranslateHooks hooks;
  hooks.onSkip = [](std::size_t, unsigned char byte, std::string& emit) {
    AppendByteToken(byte, emit);
  };
  return hooks;
}

CTranslateHooks TokenReadingHooks() {
  CTranslateHooks hooks;
  hooks.before = [](std::span<const unsigned char> rest,
                    std::string& emit) -> std::size_t {
    unsigned char byte = 0;
    if (!ReadByteToken(rest, byte)) return 0;
    emit.push_back(static_cast<char>(byte));
    return kByteTokenLength;
  };
  return hooks;
}

}  // namespace dalvren
