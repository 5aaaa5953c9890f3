// The character set a table's texts are written in, when it is not UTF-8:
// converts each text to UTF-8 as the table loads, through iconv from the C
// library (cli/posix/TableEncoding.cpp). On Windows, through the system's
// code pages, made to read as the C library's sets of the same names read
// (cli/windows/TableEncoding.cpp); names that Windows has no such set for
// are unknown there.
#pragma once

#include <cstddef>
#ifndef _WIN32
#include <iconv.h>
#endif
#include <memory>
#include <string>

#include "cli/Status.h"
#include "core/CharsetGuess.h"

namespace dalvren {

#ifdef _WIN32
// A code page and what makes it read as the set of its name.
struct CCodePageSet;
#endif

class CTableEncoding {
 public:
  struct Options {
    // For the extended syntax, which reads "\n" in a text as a line break:
    // a 5C byte that is a character of its own, followed by the character
    // "n", converts to a backslash there, whatever the set makes of 5C
    // (Shift_JIS: the yen sign); a 5C inside a double-byte character stays
    // part of it. Off, every byte converts as iconv converts it.
    bool lineBreakEscapes = false;
  };

  // Opens the conversion from the character set `name` (any name iconv
  // knows, in any case: "Shift_JIS", "EUC-JP", "windows-1252", ...) to
  // UTF-8 into `*encoding`. Fails with a one-line reason, leaving
  // `*encoding` alone, when iconv knows no such name, or when the character
  // set does not write the hexadecimal digits, "=", CR and LF as their ASCII
  // bytes (UTF-16, UTF-32, EBCDIC): the loader finds codes and line ends in
  // the raw bytes, so such a table cannot be read by conversion of its texts
  // alone.
  [[nodiscard]] static CStatus Open(const std::string& name,
                                    std::unique_ptr<CTableEncoding>* encoding);
  // As above, converting as `options` says.
  [[nodiscard]] static CStatus Open(const std::string& name,
                                    const Options& options,
                                    std::unique_ptr<CTableEncoding>* encoding);

  // Use Open; the key keeps construction to it.
  class Key {
    friend class CTableEncoding;
    Key() = default;
  };
#ifdef _WIN32
  // Static data, never freed.
  using Descriptor = const CCodePageSet*;
#else
  using Descriptor = iconv_t;
#endif
  CTableEncoding(Key, Descriptor cd, std::string name, const Options& options);
  ~CTableEncoding();

  // Owns an iconv descriptor (Windows: none).
  CTableEncoding(const CTableEncoding&) = delete;
  CTableEncoding& operator=(const CTableEncoding&) = delete;

  // Converts `text` to UTF-8, starting from the initial shift state (each
  // text stands alone), as iconv converts it but for the backslashes of the
  // options. Fails, leaving `text` unchanged, when some of it is not a valid
  // character of this set; the message says where, with the bytes at
  // fault.
  [[nodiscard]] CStatus Convert(std::string& text);

  // The name Open was given.
  [[nodiscard]] const std::string& Name() const { return name_; }

 private:
  // The most bytes a character of any set iconv reads takes, escape
  // sequences of ISO-2022 included; a longer one ends the search for
  // boundaries.
  static constexpr std::size_t kLongestCharacter = 4;

  // Opens the system's conversion from `name` into `*encoding`, or fails
  // with the message for a name it does not know.
  [[nodiscard]] static CStatus OpenConverter(
      const std::string& name, const Options& options,
      std::unique_ptr<CTableEncoding>* encoding);
  // The failure for a known set that cannot read a table.
  [[nodiscard]] static CStatus Unusable(const std::string& name);
  // Appends the conversion of `text` from `at` to its end to `out` and sets
  // `at` to the end; fails as Convert does.
  CStatus ConvertRun(std::string& text, std::size_t& at, std::string& out);
  // The same, character by character, so that a lone 5C before "n" is
  // found.
  CStatus ConvertByCharacter(std::string& text, std::size_t& at,
                             std::string& out);
  // Appends the conversion of the one character at `at` to `out`, its
  // length in bytes in `length`: the fewest bytes, 1 to kLongestCharacter,
  // that convert. `length` is 0, and nothing appended, when the character
  // is longer. Fails as Convert does.
  CStatus ConvertCharacter(std::string& text, std::size_t at, std::string& out,
                           std::size_t& length);
  // The failure for the bytes from `at` on, by iconv's `error`.
  [[nodiscard]] CStatus Fault(const std::string& text, std::size_t at,
                              int error) const;

  Descriptor cd_;
  std::string name_;
  Options options_;
};

// Conversions through iconv for the core's guess at a table's character set
// (CCharsetGuess): one CTableEncoding per set, opened when asked for.
[[nodiscard]] CCharsetGuess::ConverterFor TableEncodingConverters();

}  // namespace dalvren
