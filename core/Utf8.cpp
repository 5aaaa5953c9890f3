#include "core/Utf8.h"

#include <cstdint>

namespace dalvren {

namespace {

bool IsContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

}  // namespace

std::size_t Utf8CharLength(std::span<const unsigned char> text) {
  if (text.empty()) return 0;
  const unsigned char lead = text[0];
  std::size_t length = 0;
  std::uint32_t code = 0;
  std::uint32_t least = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code = lead & 0x1F;
    least = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code = lead & 0x0F;
    least = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    code = lead & 0x07;
    least = 0x10000;
  } else {
    return 1;
  }
  if (text.size() < length) return 1;
  for (std::size_t k = 1; k < length; ++k) {
    if (!IsContinuation(text[k])) return 1;
    code = (code << 6) | (text[k] & 0x3F);
  }
  if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
    return 1;
  }
  return length;
}

CUtf8Char Utf8CharAt(std::span<const unsigned char> text, std::size_t pos) {
  // Only a continuation byte can lie inside a longer character, and only
  // inside one whose lead is the nearest byte before it that is no
  // continuation byte: every such byte starts a character of its own.
  if (IsContinuation(text[pos])) {
    for (std::size_t back = 1; back <= 3 && back <= pos; ++back) {
      if (IsContinuation(text[pos - back])) continue;
      const std::size_t length = Utf8CharLength(text.subspan(pos - back));
      if (length > back) return {pos - back, pos - back + length};
      break;
    }
  }
  return {pos, pos + Utf8CharLength(text.subspan(pos))};
}

bool IsValidUtf8(std::string_view text) {
  const std::span<const unsigned char> bytes(
      reinterpret_cast<const unsigned char*>(text.data()), text.size());
  for (std::size_t i = 0; i < bytes.size();) {
    const std::size_t length = Utf8CharLength(bytes.subspan(i));
    if (length == 1 && bytes[i] >= 0x80) return false;
    i += length;
  }
  return true;
}

CTextPlace PlaceInText(std::span<const unsigned char> text,
                       std::size_t offset) {
  CTextPlace place;
  for (std::size_t i = 0; i < offset && i < text.size();) {
    if (text[i] == '\n') {
      ++place.line;
      place.column = 1;
      ++i;
      continue;
    }
    i += Utf8CharLength(text.subspan(i));
    ++place.column;
  }
  return place;
}

}  // namespace dalvren
