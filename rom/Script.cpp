#include "rom/Script.h"

#include "core/Utf8.h"

namespace dalvren {

CScript::String::Position CScript::String::PositionOf(
    std::size_t offset) const {
  const auto bytes = std::span<const unsigned char>(
      reinterpret_cast<const unsigned char*>(text.data()), text.size());
  std::size_t index = 0;
  std::size_t column = 1;
  for (std::size_t i = 0; i < offset && i < bytes.size();) {
    if (bytes[i] == '\n') {
      ++index;
      column = 1;
      ++i;
      continue;
    }
    const std::size_t length = Utf8CharLength(bytes.subspan(i));
    // A byte inside a character stands in that character's column.
    if (i + length > offset) break;
    i += length;
    ++column;
  }
  if (index >= textLines.size()) return {line, column};
  const TextLine& where = textLines[index];
  return {where.line, column + (where.escaped ? 1 : 0)};
}

}  // namespace dalvren
