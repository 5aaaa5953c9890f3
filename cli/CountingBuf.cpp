#include "cli/CountingBuf.h"

namespace dalvren {

CCountingBuf::int_type CCountingBuf::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) {
    return traits_type::not_eof(c);
  }
  const char byte = traits_type::to_char_type(c);
  return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
}

std::streamsize CCountingBuf::xsputn(const char* s, std::streamsize n) {
  const std::streamsize done = sink_ != nullptr ? sink_->sputn(s, n) : n;
  count += static_cast<std::uint64_t>(done);
  return done;
}

int CCountingBuf::sync() { return sink_ != nullptr ? sink_->pubsync() : 0; }

}  // namespace dalvren
