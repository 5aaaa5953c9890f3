#include "cli/OutputFile.h"

#include <cstring>

namespace dalvren {

COutputFile::COutputFile(Key, int fd, bool owned) : fd_(fd), owned_(owned) {
  setp(buffer_, buffer_ + kBufferSize);
}

bool COutputFile::FlushBuffer() {
  const bool ok = WriteOut(pbase(), static_cast<std::size_t>(pptr() - pbase()));
  setp(buffer_, buffer_ + kBufferSize);
  return ok;
}

COutputFile::int_type COutputFile::overflow(int_type c) {
  if (!FlushBuffer()) return traits_type::eof();
  if (traits_type::eq_int_type(c, traits_type::eof())) {
    return traits_type::not_eof(c);
  }
  *pptr() = traits_type::to_char_type(c);
  pbump(1);
  return c;
}

std::streamsize COutputFile::xsputn(const char* s, std::streamsize n) {
  const auto count = static_cast<std::size_t>(n);
  const auto room = static_cast<std::size_t>(epptr() - pptr());
  if (count <= room) {
    std::memcpy(pptr(), s, count);
    pbump(static_cast<int>(count));
    return n;
  }
  // Large writes bypass the buffer instead of being copied through it.
  if (!FlushBuffer() || !WriteOut(s, count)) return 0;
  return n;
}

int COutputFile::sync() { return FlushBuffer() ? 0 : -1; }

}  // namespace dalvren
