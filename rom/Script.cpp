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
  if (index >= lineCount_) return {line, column};
  const TextLine where = LineOfText(index);
  return {where.line, column + (where.escaped ? 1 : 0)};
}

CScript::String::String(const String& other)
    : line(other.line),
      offset(other.offset),
      length(other.length),
      fromFirst(other.fromFirst),
      fromCount(other.fromCount),
      text(other.text),
      firstLine_(other.firstLine_),
      lineCount_(other.lineCount_),
      irregular_(other.irregular_ ? std::make_unique<std::vector<TextLine>>(
                                        *other.irregular_)
                                  : nullptr) {}

CScript::String& CScript::String::operator=(const String& other) {
  String copy(other);
  *this = std::move(copy);
  return *this;
}

CScript::String::TextLine CScript::String::LineOfText(std::size_t index) const {
  if (irregular_) return (*irregular_)[index];
  return {firstLine_ + index, false};
}

void CScript::String::AddTextLine(std::string_view line, std::size_t number) {
  const bool escaped = line.starts_with("\\");
  if (escaped) line.remove_prefix(1);
  if (lineCount_ > 0) text.push_back('\n');
  text.append(line);
  if (lineCount_ == 0) firstLine_ = number;
  const bool regular =
      !irregular_ && !escaped && number == firstLine_ + lineCount_;
  if (!regular && !irregular_) {
    irregular_ = std::make_unique<std::vector<TextLine>>();
    for (std::size_t i = 0; i < lineCount_; ++i) {
      irregular_->push_back({firstLine_ + i, false});
    }
  }
  if (!regular) irregular_->push_back({number, escaped});
  ++lineCount_;
}

}  // namespace dalvren
