// The system side of CTableEncoding on POSIX systems: iconv from the C
// library.
#include "cli/TableEncoding.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <string_view>
#include <utility>

#include "cli/ExitStatus.h"

namespace dalvren {

CStatus CTableEncoding::OpenConverter(
    const std::string& name, const Options& options,
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
  *encoding = std::make_unique<CTableEncoding>(Key(), cd, name, options);
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

}  // namespace dalvren
