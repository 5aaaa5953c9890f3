// The table a command converts with, in either syntax, and the two
// directions of conversion with the options of the command line: what dump,
// insert and roundtrip share.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <ostream>
#include <span>

#include "cli/Status.h"
#include "core/CodeTable.h"
#include "core/ExtendedTable.h"
#include "core/HeldCharacters.h"

namespace dalvren {

class CTableConverter {
 public:
  struct DumpOptions {
    // Bytes that start no code are written as <$XX> tokens, not skipped.
    bool tokens = false;
    // Told of each byte that starts no code, by its offset in the input.
    std::function<void(std::size_t offset)> onSkip;
    // Extended syntax: told of a control code whose parameter bytes the
    // input cuts short (offset of the code, bytes there, bytes needed).
    std::function<void(std::size_t offset, std::size_t have, std::size_t need)>
        onShortParameters;
    // Extended syntax: told once of the first switch code that takes the
    // place of the innermost one (core/ExtendedDump.h).
    std::function<void(std::size_t offset)> onTooDeep;
  };

  struct InsertOptions {
    // <$XX> tokens are read as raw bytes.
    bool tokens = false;
    // The shortest cut instead of the greedy one.
    bool optimal = false;
    // Told of each script byte that is dropped, in increasing order.
    std::function<void(std::size_t offset)> onSkip;
    // Extended syntax: told of a control code at the end of the script with
    // fewer parameter tokens than it needs (offset of its label, tokens
    // there, bytes needed).
    std::function<void(std::size_t offset, std::size_t have, std::size_t need)>
        onShortParameters;
    // Extended syntax: told of each place from which insert reads greedily
    // (core/ExtendedInsert.h).
    std::function<void(std::size_t offset, bool bounded)> onInexact;
  };

  // Converts through `table` (the plain syntax), which it owns.
  explicit CTableConverter(std::unique_ptr<CCodeTable> table);
  // Converts through `table` (the plain syntax), which stays the caller's
  // and must outlive the converter.
  explicit CTableConverter(const CCodeTable& table);
  // Converts through `table` (the extended syntax), which it owns.
  explicit CTableConverter(std::unique_ptr<CExtendedTable> table);

  // Owns its table, or refers to one it does not own.
  CTableConverter(const CTableConverter&) = delete;
  CTableConverter& operator=(const CTableConverter&) = delete;

  // The extended table, or null for a plain one.
  [[nodiscard]] const CExtendedTable* Extended() const {
    return extended_.get();
  }
  // The plain table, or null for an extended one.
  [[nodiscard]] const CCodeTable* Plain() const { return plain_; }

  // The characters the texts insert reads hold (with `tokens`, also those a
  // token is spelled with), for reports of what it dropped.
  [[nodiscard]] CHeldCharacters HeldCharacters(bool tokens) const;

  // Appends the script of the ROM bytes `input` to `out`.
  void Dump(std::ostream& out, std::span<const unsigned char> input,
            const DumpOptions& options) const;

  // Appends the bytes of `script` to `out`. Fails (exit status 2) only in
  // the extended syntax, when a control code's parameter tokens are missing
  // where the script goes on; the message names the control code and its
  // line and column in the script, and the bytes before it are written.
  [[nodiscard]] CStatus Insert(std::ostream& out,
                               std::span<const unsigned char> script,
                               const InsertOptions& options) const;

 private:
  std::unique_ptr<CCodeTable> ownedPlain_;
  // The plain table, owned or not; null for an extended one.
  const CCodeTable* plain_ = nullptr;
  std::unique_ptr<CExtendedTable> extended_;
};

// Where `offset` lies in `text`, as an editor shows it: "line L, column C",
// both from 1, lines ending at LF and columns counting characters (as
// core/Utf8.h splits them).
[[nodiscard]] std::string TextPosition(std::span<const unsigned char> text,
                                       std::size_t offset);

}  // namespace dalvren
