// Splits a table file into the lines its loaders handle. Shared by the plain
// and the extended syntax, so that both read line ends, long lines and line
// numbers alike.
#pragma once

#include <cstddef>
#include <istream>
#include <optional>
#include <string>
#include <string_view>

#include "core/LoadObserver.h"

namespace dalvren {

// The longest line a table file may hold; longer lines are cut after this
// many characters and the rest is read as a further line.
inline constexpr std::size_t kMaxTableLine = 511;

// `s` without the blanks and tabs around it, as names and counts on a table
// line are read.
[[nodiscard]] inline std::string_view TrimmedBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
    s.remove_prefix(1);
  }
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) {
    s.remove_suffix(1);
  }
  return s;
}

// Splits an entry line "HEX=TEXT" as both syntaxes read it: the "=" is looked
// for as in terminated text (a zero byte hides the rest, and a line whose
// only "=" it hides is kZeroBeforeEquals), the code must
// start with a hexadecimal digit and be of even length, and each pair of
// characters before the "=" is one byte, whatever they are. Returns the
// fault of a line that is no entry; otherwise the code's bytes are in `code`
// and `text` is everything after the "=".
[[nodiscard]] std::optional<LineFault> SplitEntryLine(std::string_view line,
                                                      std::string& code,
                                                      std::string_view& text);

// Lines end at LF or CR (any mix, a CR LF pair ending one line) or at the end
// of the input; empty lines are dropped. Reads the stream in large blocks, so
// that huge files and endless lines cost linear time and bounded memory.
class CTableLineReader {
 public:
  // Reads from `in`, which stays the caller's and must outlive the reader.
  explicit CTableLineReader(std::istream& in) : in_(in) {}

  // Holds a 64 KiB block and a position in a stream it does not own.
  CTableLineReader(const CTableLineReader&) = delete;
  CTableLineReader& operator=(const CTableLineReader&) = delete;

  // Fills `line` with the next non-empty line (without its line end) and
  // `number` with the 1-based physical line it came from, as an editor
  // counts lines; `cut` is true when the line stopped at kMaxTableLine
  // characters rather than at a line end (the rest then follows as a further
  // line with the same number). Returns false at the end of the input.
  [[nodiscard]] bool Next(std::string& line, std::size_t& number, bool& cut);

 private:
  // Whether more characters of the same line follow: a line of exactly the
  // limit that then ends is whole, not cut.
  bool NextIsContent();
  bool Refill();

  std::istream& in_;
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
  std::size_t physical_ = 1;
  bool afterCr_ = false;
  char block_[64 * 1024];
};

}  // namespace dalvren
