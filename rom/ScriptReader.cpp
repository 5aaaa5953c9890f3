#include "rom/ScriptReader.h"

#include <string>

#include "core/Utf8.h"
#include "rom/DirectiveReader.h"
#include "rom/LayoutText.h"

namespace dalvren {

namespace {

CError Fail(std::size_t number, const std::string& message) {
  return CError::Invalid("line " + std::to_string(number) + ": " + message);
}

bool IsStringLine(std::string_view line) {
  return line.starts_with("#STRING") &&
         (line.size() == 7 || line[7] == ' ' || line[7] == '\t');
}

bool IsBlankLine(std::string_view line) {
  return line.find_first_not_of(" \t") == std::string_view::npos;
}

// A line of the header (before the first #STRING).
CError ReadHeaderLine(std::string_view line, std::size_t number,
                      CScript* script) {
  CLayout& layout = script->layout;
  if (IsDirectiveLine(line)) {
    if (line.starts_with("#ROM")) layout.romHeaderLine = layout.header.size();
    if (CError e = ReadDirective(line, number, &layout); !e.IsOk()) return e;
  } else if (!line.starts_with("//") && !IsBlankLine(line)) {
    return Fail(number, Quoted(line) +
                            " is neither a directive (#WORD ...) nor a "
                            "comment (//...)");
  }
  layout.header.emplace_back(line);
  return {};
}

// A line from the first #STRING on.
CError ReadStringLine(std::string_view line, std::size_t number,
                      CScript* script) {
  if (IsStringLine(line)) return ReadStringDirective(line, number, script);
  if (IsDirectiveLine(line)) {
    return Fail(number, Quoted(line) +
                            ": directives other than #STRING come before "
                            "the first #STRING (a text line that begins "
                            "with \"#\" is written \"\\#\")");
  }
  if (!line.starts_with("//")) {
    script->strings.back().AddTextLine(line, number);
  }
  return {};
}

}  // namespace

CError ReadScript(std::string_view file, CScript* script) {
  *script = CScript();
  if (file.starts_with(kUtf8ByteOrderMark)) {
    file.remove_prefix(kUtf8ByteOrderMark.size());
  }
  // Room for every string at once: growing by doubling would hold up to
  // twice the strings' room, and both copies while it grows.
  std::size_t sections = 0;
  for (std::size_t at = file.find("\n#STRING"); at != std::string_view::npos;
       at = file.find("\n#STRING", at + 1)) {
    ++sections;
  }
  script->strings.reserve(sections);
  std::size_t number = 0;
  while (!file.empty()) {
    const std::size_t lf = file.find('\n');
    std::string_view line = file.substr(0, lf);
    file.remove_prefix(lf == std::string_view::npos ? file.size() : lf + 1);
    if (lf != std::string_view::npos && line.ends_with('\r')) {
      line.remove_suffix(1);
    }
    ++number;
    if (number == 1 && !line.starts_with("#DALVREN")) break;
    const bool inStrings = !script->strings.empty() || IsStringLine(line);
    CError e = inStrings ? ReadStringLine(line, number, script)
                         : ReadHeaderLine(line, number, script);
    if (!e.IsOk()) return e;
  }
  if (script->layout.header.empty()) {
    return Fail(1, "a script file starts with \"#DALVREN 1\"");
  }
  return {};
}

}  // namespace dalvren
