#include "cli/TableEncoding.h"

#include <algorithm>
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
  // What iconv_open returns when it fails, as the C library defines it.
  // NOLINTNEXTLINE(performance-no-int-to-ptr): that value is iconv's own.
  const auto failed = reinterpret_cast<iconv_t>(-1);
  // iconv reads an empty name as the locale's character set: a surprise
  // rather than a choice.
  const iconv_t cd =
      name.empty() ? failed : ::iconv_open("UTF-8", name.c_str());
  if (cd == failed) {
    return CStatus::Failure(kExitError,
                            "Unknown table encoding '" + name +
                                "' (iconv -l lists the known names)");
  }
  auto opened = std::make_unique<CTableEncoding>(Key(), cd, name, options);
  std::string probe(kParsedBytes);
  if (!opened->Convert(probe).IsOk() || probe != kParsedBytes) {
    return CStatus::Failure(
        kExitError,
        "Table encoding '" + name +
            "' cannot be used: the loader reads codes, \"=\" and line ends "
            "as ASCII bytes, which this character set does not use (save the "
            "table as UTF-8 or in an ASCII-based set such as Shift_JIS)");
  }
  *encoding = std::move(opened);
  return {};
}

CTableEncoding::CTableEncoding(Key, iconv_t cd, std::string name,
                               const Options& options)
    : cd_(cd), name_(std::move(name)), options_(options) {}

CTableEncoding::~CTableEncoding() { ::iconv_close(cd_); }

CStatus CTableEncoding::Convert(std::string& text) {
  ::iconv(cd_, nullptr, nullptr, nullptr, nullptr);
  std::string out;
  out.reserve(text.size() * 2 + 16);
  // Only a text with the bytes of "\n" needs its character boundaries; the
  // others convert in one go.
  const bool boundaries =
      options_.lineBreakEscapes && text.find("\\n") != std::string::npos;
  std::size_t at = 0;
  CStatus status = boundaries ? ConvertByCharacter(text, at, out)
                              : ConvertRun(text, at, out);
  if (!status.IsOk()) return status;
  // A stateful set may owe a return to its initial state.
  char tail[64];
  char* to = tail;
  std::size_t toLeft = sizeof tail;
  ::iconv(cd_, nullptr, nullptr, &to, &toLeft);
  out.append(tail, sizeof tail - toLeft);
  text = std::move(out);
  return {};
}

CStatus CTableEncoding::ConvertRun(std::string& text, std::size_t& at,
                                   std::string& out) {
  char* in = text.data() + at;
  std::size_t inLeft = text.size() - at;
  char block[1024];
  while (inLeft > 0) {
    char* to = block;
    std::size_t toLeft = sizeof block;
    const bool converted = ::iconv(cd_, &in, &inLeft, &to, &toLeft) !=
                           static_cast<std::size_t>(-1);
    const int error = errno;
    out.append(block, sizeof block - toLeft);
    if (converted || error == E2BIG) continue;
    return Fault(text, text.size() - inLeft, error);
  }
  at = text.size();
  return {};
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

CStatus CTableEncoding::ConvertCharacter(std::string& text, std::size_t at,
                                         std::string& out,
                                         std::size_t& length) {
  const std::size_t left = text.size() - at;
  const std::size_t longest = std::min(left, kLongestCharacter);
  char block[64];
  for (std::size_t n = 1; n <= longest; ++n) {
    char* in = text.data() + at;
    std::size_t inLeft = n;
    char* to = block;
    std::size_t toLeft = sizeof block;
    const bool converted = ::iconv(cd_, &in, &inLeft, &to, &toLeft) !=
                           static_cast<std::size_t>(-1);
    const int error = errno;
    // What was taken is a character, even where iconv stopped after it.
    if (converted || inLeft < n) {
      out.append(block, sizeof block - toLeft);
      length = n - inLeft;
      return {};
    }
    // EINVAL: the character goes on past these n bytes.
    if (error != EINVAL) return Fault(text, at, error);
  }
  if (left <= kLongestCharacter) return Fault(text, at, EINVAL);
  length = 0;
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
