#include "cli/TableEncoding.h"

#include <cerrno>
#include <cstddef>
#include <string_view>
#include <utility>

#include "cli/ExitStatus.h"
#include "cli/SpacedHex.h"

namespace dalvren {

namespace {

// The bytes the loader itself interprets. A character set usable for a table
// must read each of them as the ASCII character it is.
constexpr std::string_view kParsedBytes = "0123456789ABCDEFabcdef=\r\n";

}  // namespace

CStatus CTableEncoding::Open(const std::string& name,
                             std::unique_ptr<CTableEncoding>* encoding) {
  return Open(name, Options(), encoding);
}

CStatus CTableEncoding::Open(const std::string& name, const Options& options,
                             std::unique_ptr<CTableEncoding>* encoding) {
  std::unique_ptr<CTableEncoding> opened;
  if (CStatus status = OpenConverter(name, options, &opened); !status.IsOk()) {
    return status;
  }
  std::string probe(kParsedBytes);
  if (!opened->Convert(probe).IsOk() || probe != kParsedBytes) {
    return Unusable(name);
  }
  *encoding = std::move(opened);
  return {};
}

CStatus CTableEncoding::Unusable(const std::string& name) {
  return CStatus::Failure(
      kExitError,
      "Table encoding '" + name +
          "' cannot be used: the loader reads codes, \"=\" and line ends "
          "as ASCII bytes, which this character set does not use (save the "
          "table as UTF-8 or in an ASCII-based set such as Shift_JIS)");
}

CStatus CTableEncoding::ConvertByCharacter(std::string& text, std::size_t& at,
                                           std::string& out) {
  constexpr std::size_t kNone = std::string::npos;
  // Where the UTF-8 of a 5C byte that is a character of its own starts,
  // while the character after it is not known yet.
  std::size_t backslash = kNone;
  while (at < text.size()) {
    const std::size_t from = out.size();
    std::size_t length = 0;
    if (CStatus status = ConvertCharacter(text, at, out, length);
        !status.IsOk()) {
      return status;
    }
    // No character of at most kLongestCharacter bytes: the rest converts
    // without boundaries.
    if (length == 0) return ConvertRun(text, at, out);
    const bool single = length == 1;
    if (backslash != kNone && single && text[at] == 'n' &&
        std::string_view(out).substr(from) == "n") {
      // Shift_JIS reads 5C as the yen sign; in a table it is the backslash
      // of "\n", as CP932 reads it.
      out[backslash] = '\\';
      out.erase(backslash + 1, from - backslash - 1);
    }
    backslash = single && text[at] == '\\' && out.size() > from ? from : kNone;
    at += length;
  }
  return {};
}

CStatus CTableEncoding::Fault(const std::string& text, std::size_t at,
                              int error) const {
  const std::string_view rest = std::string_view(text).substr(at);
  return CStatus::Failure(
      kExitError,
      (error == EINVAL ? "incomplete character at the end of the text: "
                       : "not valid " + name_ + " at text byte " +
                             std::to_string(at + 1) + ": ") +
          SpacedHex(rest, 4));
}

CCharsetGuess::ConverterFor TableEncodingConverters() {
  return [](const std::string& name) -> CCharsetGuess::Converter {
    std::unique_ptr<CTableEncoding> opened;
    if (!CTableEncoding::Open(name, &opened).IsOk()) return {};
    // A converter is copied with its function object; they share the
    // descriptor.
    std::shared_ptr<CTableEncoding> encoding(std::move(opened));
    return [encoding](std::string& text) {
      return encoding->Convert(text).IsOk();
    };
  };
}

}  // namespace dalvren
