#include "cli/TableEncoding.h"

#include <cerrno>
#include <cstddef>
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
  auto opened = std::make_unique<CTableEncoding>(Key(), cd, name);
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

CTableEncoding::CTableEncoding(Key, iconv_t cd, std::string name)
    : cd_(cd), name_(std::move(name)) {}

CTableEncoding::~CTableEncoding() { ::iconv_close(cd_); }

CStatus CTableEncoding::Convert(std::string& text) {
  ::iconv(cd_, nullptr, nullptr, nullptr, nullptr);
  // Four bytes of UTF-8 per input byte is the most any character set needs;
  // the loop below grows the buffer anyway should one need more.
  std::string out(text.size() * 4 + 16, '\0');
  char* in = text.data();
  std::size_t inLeft = text.size();
  char* to = out.data();
  std::size_t toLeft = out.size();
  const auto grow = [&] {
    const std::size_t used = out.size() - toLeft;
    out.resize(out.size() * 2);
    to = out.data() + used;
    toLeft = out.size() - used;
  };
  while (inLeft > 0) {
    if (::iconv(cd_, &in, &inLeft, &to, &toLeft) !=
        static_cast<std::size_t>(-1)) {
      continue;
    }
    if (errno == E2BIG) {
      grow();
      continue;
    }
    const std::size_t at = text.size() - inLeft;
    const std::string_view rest = std::string_view(text).substr(at);
    return CStatus::Failure(
        kExitError,
        (errno == EINVAL ? "incomplete character at the end of the text: "
                         : "not valid " + name_ + " at text byte " +
                               std::to_string(at + 1) + ": ") +
            SpacedHex(rest, 4));
  }
  // A stateful set may owe a return to its initial state.
  while (::iconv(cd_, nullptr, nullptr, &to, &toLeft) ==
         static_cast<std::size_t>(-1)) {
    if (errno != E2BIG) break;
    grow();
  }
  out.resize(out.size() - toLeft);
  text = std::move(out);
  return {};
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
