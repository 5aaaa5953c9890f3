#include "rom/ScriptWriter.h"

#include "rom/LayoutText.h"

namespace dalvren {

namespace {

// Calls `line` with each line of `text`, split at line breaks: "" gives one
// empty line, and a text that ends with a line break an empty last line.
template <typename Line>
void ForEachLine(std::string_view text, Line&& line) {
  for (;;) {
    const std::size_t lf = text.find('\n');
    line(text.substr(0, lf));
    if (lf == std::string_view::npos) return;
    text.remove_prefix(lf + 1);
  }
}

}  // namespace

std::string RomDirective(std::uint64_t size, std::uint32_t crc) {
  return "#ROM SIZE=" + std::to_string(size) + " CRC32=" + Crc32Text(crc);
}

void AppendStringSection(const CStringSection& section, std::string& out) {
  out += "#STRING ";
  out += HexOffset(section.offset);
  out += ' ';
  out += std::to_string(section.length);
  for (std::size_t i = 0; i < section.from.size(); ++i) {
    out += i == 0 ? " FROM=" : ",";
    out += HexOffset(section.from[i]);
  }
  out += '\n';
  ForEachLine(section.original, [&out](std::string_view line) {
    out += "//";
    out += line;
    out += '\n';
  });
  ForEachLine(section.text, [&out](std::string_view line) {
    if (line.starts_with("#") || line.starts_with("//") ||
        line.starts_with("\\")) {
      out += '\\';
    }
    out += line;
    out += '\n';
  });
}

}  // namespace dalvren
