#include "cli/TableEncoding.h"

#include <cerrno>
#include <cstddef>
#include <span>
#include <utility>

#include "cli/SpacedHex.h"
#include "core/Utf8.h"

namespace dalvren {

namespace {

// The bytes the loader itself interprets. A character set usable for a table
// must read each of them as the ASCII character it is.
constexpr std::string_view kParsedBytes = "0123456789ABCDEFabcdef=\r\n";

}  // namespace

std::unique_ptr<CTableEncoding> CTableEncoding::Open(const std::string& name,
                                                     std::string& error) {
  // iconv reads an empty name as the locale's character set: a surprise
  // rather than a choice.
  const iconv_t cd = name.empty() ? reinterpret_cast<iconv_t>(-1)
                                  : ::iconv_open("UTF-8", name.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    error = "Unknown table encoding '" + name +
            "' (iconv -l lists the known "
            "names)";
    return nullptr;
  }
  auto encoding = std::make_unique<CTableEncoding>(Key(), cd, name);
  std::string probe(kParsedBytes);
  std::string ignored;
  if (!encoding->Convert(probe, ignored) || probe != kParsedBytes) {
    error = "Table encoding '" + name +
            "' cannot be used: the loader reads codes, \"=\" and line ends "
            "as ASCII bytes, which this character set does not use (save the "
            "table as UTF-8 or in an ASCII-based set such as Shift_JIS)";
    return nullptr;
  }
  return encoding;
}

CTableEncoding::CTableEncoding(Key, iconv_t cd, std::string name)
    : cd_(cd), name_(std::move(name)) {}

CTableEncoding::~CTableEncoding() { ::iconv_close(cd_); }

bool CTableEncoding::Convert(std::string& text, std::string& error) {
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
    error = (errno == EINVAL ? "incomplete character at the end of the text: "
                             : "not valid " + name_ + " at text byte " +
                                   std::to_string(at + 1) + ": ") +
            SpacedHex(rest, 4);
    return false;
  }
  // A stateful set may owe a return to its initial state.
  while (::iconv(cd_, nullptr, nullptr, &to, &toLeft) ==
         static_cast<std::size_t>(-1)) {
    if (errno != E2BIG) break;
    grow();
  }
  out.resize(out.size() - toLeft);
  text = std::move(out);
  return true;
}

bool IsValidUtf8(std::string_view text) {
  const std::span<const unsigned char> bytes(
      reinterpret_cast<const unsigned char*>(text.data()), text.size());
  for (std::size_t i = 0; i < bytes.size();) {
    const std::size_t length = Utf8CharLength(bytes.subspan(i));
    if (length == 1 && bytes[i] >= 0x80) return false;
    i += length;
  }
  return true;
}

}  // namespace dalvren
