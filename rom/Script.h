// A script file read whole: its layout and one section per string, as
// extract writes it and the translator edits it.
//
// The text of a string is every line after its #STRING line up to the next
// #STRING line or the end of the file, comment lines ("//...") left out,
// joined by line breaks; the line break that ends the last of them belongs
// to the file. A text line that begins with "\" loses that one "\": the
// writer puts it before every line that begins with "#", "//" or "\", so
// that a text may begin with anything. So a text is written as itself and a
// line break: an empty text as one empty line, a text that ends with a line
// break as its lines and one empty line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "rom/Layout.h"

namespace dalvren {

struct CScript {
  // A #STRING section.
  struct String {
    // Where a character of the text stands in the script file, from 1.
    struct Position {
      std::size_t line = 0;
      std::size_t column = 0;
    };

    // Where the byte `offset` of `text` stands in the file: its line, and
    // the column of its character (counted in characters, as an editor
    // shows them).
    [[nodiscard]] Position PositionOf(std::size_t offset) const;

    String() = default;
    String(String&&) = default;
    String& operator=(String&&) = default;
    // Copies its list of irregular lines.
    String(const String& other);
    String& operator=(const String& other);

    // The line of the #STRING directive.
    std::size_t line = 0;
    std::uint64_t offset = 0;
    // Its bytes in the ROM extract read.
    std::uint64_t length = 0;
    // FROM=: the offsets of the pointers that lead to it, in
    // CScript::pointers (CScript::From).
    std::uint32_t fromFirst = 0;
    std::uint32_t fromCount = 0;
    std::string text;

    // Appends `line`, the `number`th line of the file, to `text`: after a
    // line break unless it is the first, without the "\" that escapes it.
    void AddTextLine(std::string_view line, std::size_t number);

   private:
    // A line of `text`: the line of the file it came from, and whether a
    // "\" before it was taken away.
    struct TextLine {
      std::size_t line = 0;
      bool escaped = false;
    };
    [[nodiscard]] TextLine LineOfText(std::size_t index) const;

    // A script holds tens of thousands of strings, nearly all of lines that
    // follow one another unescaped: those are known by the first line and
    // their count alone, and only other texts list every line.
    std::size_t firstLine_ = 0;
    std::size_t lineCount_ = 0;
    std::unique_ptr<std::vector<TextLine>> irregular_;
  };

  // The offsets of the pointers that lead to `string` (its FROM=).
  [[nodiscard]] std::span<const std::uint64_t> From(
      const String& string) const {
    return std::span<const std::uint64_t>(pointers).subspan(string.fromFirst,
                                                            string.fromCount);
  }

  CLayout layout;
  std::vector<String> strings;
  // Every string's FROM= list, one after another: a script has tens of
  // thousands of strings, most with one pointer.
  std::vector<std::uint64_t> pointers;
};

}  // namespace dalvren
