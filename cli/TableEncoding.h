// The character set a table's texts are written in, when it is not UTF-8:
// converts each text to UTF-8 as the table loads, through iconv from the C
// library.
#pragma once

#include <iconv.h>
#include <memory>
#include <string>

#include "core/CharsetGuess.h"
#include "core/Status.h"

namespace dalvren {

class CTableEncoding {
 public:
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

  // Use Open; the key keeps construction to it.
  class Key {
    friend class CTableEncoding;
    Key() = default;
  };
  CTableEncoding(Key, iconv_t cd, std::string name);
  ~CTableEncoding();

  // Owns an iconv descriptor.
  CTableEncoding(const CTableEncoding&) = delete;
  CTableEncoding& operator=(const CTableEncoding&) = delete;

  // Converts `text` to UTF-8, starting from the initial shift state (each
  // text stands alone). Fails, leaving `text` unchanged, when some of it is
  // not a valid character of this set; the message says where, with the
  // bytes at fault.
  [[nodiscard]] CStatus Convert(std::string& text);

  // The name Open was given.
  [[nodiscard]] const std::string& Name() const { return name_; }

 private:
  iconv_t cd_;
  std::string name_;
};

// Conversions through iconv for the core's guess at a table's character set
// (CCharsetGuess): one CTableEncoding per set, opened when asked for.
[[nodiscard]] CCharsetGuess::ConverterFor TableEncodingConverters();

}  // namespace dalvren
