// The report of the check command: which lines of a table file did not load
// as written, and which entries replaced earlier ones.
#pragma once

#include <cstddef>
#include <istream>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <unordered_map>

#include "CodeTable.h"

class CTableCheck {
 public:
  // Reports go to `report`, which stays the caller's.
  explicit CTableCheck(std::ostream& report);

  // Refers to a stream it does not own and keeps per-key line maps.
  CTableCheck(const CTableCheck&) = delete;
  CTableCheck& operator=(const CTableCheck&) = delete;

  // Loads the table in `table` with the core's loader and writes, in file
  // order, one line per ignored line (its number and why), per physical line
  // that was cut (once, however often) and per replacement (its number, the
  // earlier line it replaces, the direction and the key), then a summary with
  // the counts. Line numbers are 1-based physical lines, as an editor shows
  // them. Empty lines are not reported. The loader's own "Replacing old value"
  // lines still go to standard error; silencing them is the caller's choice.
  // Returns the loaded table.
  std::unique_ptr<CCodeTable> Run(std::istream& table);

  // True when nothing was ignored, cut or replaced.
  [[nodiscard]] bool Clean() const {
    return ignored == 0 && cut == 0 && replaced == 0;
  }

  std::size_t entries = 0;
  std::size_t ignored = 0;
  std::size_t cut = 0;
  std::size_t replaced = 0;

 private:
  void OnEntry(std::size_t line, const CByteString& code,
               const CByteString& text);
  void OnReplaced(std::size_t line, Direction direction);

  std::ostream& report_;
  // The line that last gave each key, per direction: what a replacement
  // replaces.
  std::unordered_map<std::string, std::size_t> forwardLines_;
  std::unordered_map<std::string, std::size_t> reverseLines_;
  // The entry being inserted and the lines it is about to replace (0: none).
  std::string code_;
  std::string text_;
  std::size_t replacesForward_ = 0;
  std::size_t replacesReverse_ = 0;
  // The physical line last reported as cut.
  std::size_t lastCut_ = 0;
};

// `bytes` as a quoted text fit for a terminal: printable ASCII and bytes of
// 0x80 and above (UTF-8) as they are, the quote and the backslash escaped
// with a backslash, and every other byte as \xNN.
[[nodiscard]] std::string QuotedText(std::string_view bytes);
