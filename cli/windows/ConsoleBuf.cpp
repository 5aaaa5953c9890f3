#include "cli/windows/ConsoleBuf.h"

#include <cstring>
#include <string>
#include <windows.h>

#include "cli/windows/WideText.h"

namespace dalvren {

namespace {

// How many of the `size` bytes at `bytes` end with a whole character: all of
// them, unless the last character's lead byte promises more bytes than
// follow it.
std::size_t WholeCharacters(const char* bytes, std::size_t size) {
  std::size_t start = size;
  while (start > 0 && size - start < 3 &&
         (static_cast<unsigned char>(bytes[start - 1]) & 0xC0) == 0x80) {
    --start;
  }
  if (start == 0) return size;
  const auto lead = static_cast<unsigned char>(bytes[start - 1]);
  const std::size_t promised = lead >= 0xF0   ? 4
                               : lead >= 0xE0 ? 3
                               : lead >= 0xC0 ? 2
                                              : 1;
  return size - (start - 1) < promised ? start - 1 : size;
}

}  // namespace

CConsoleBuf::CConsoleBuf(void* console) : console_(console) {
  setp(buffer_, buffer_ + kBufferSize);
}

bool CConsoleBuf::WriteWhole() {
  const auto buffered = static_cast<std::size_t>(pptr() - pbase());
  const std::size_t whole = WholeCharacters(pbase(), buffered);
  const std::wstring text = WideFromUtf8({pbase(), whole});
  bool ok = true;
  for (std::size_t done = 0; ok && done < text.size();) {
    DWORD wrote = 0;
    ok = ::WriteConsoleW(console_, text.data() + done,
                         static_cast<DWORD>(text.size() - done), &wrote,
                         nullptr) != 0 &&
         wrote > 0;
    done += wrote;
  }
  const std::size_t cut = buffered - whole;
  std::memmove(buffer_, pbase() + whole, cut);
  setp(buffer_, buffer_ + kBufferSize);
  pbump(static_cast<int>(cut));
  return ok;
}

CConsoleBuf::int_type CConsoleBuf::overflow(int_type c) {
  if (!WriteWhole()) return traits_type::eof();
  if (traits_type::eq_int_type(c, traits_type::eof())) {
    return traits_type::not_eof(c);
  }
  // A full buffer always writes all but at most three bytes.
  *pptr() = traits_type::to_char_type(c);
  pbump(1);
  return c;
}

int CConsoleBuf::sync() { return WriteWhole() ? 0 : -1; }

}  // namespace dalvren
