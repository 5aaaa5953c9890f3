#include "HexWriteBuf.h"

#include <algorithm>

#include "ByteString.h"

CHexWriteBuf::CHexWriteBuf(std::streambuf& sink) : sink_(sink) {}

CHexWriteBuf::int_type CHexWriteBuf::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) {
    return traits_type::not_eof(c);
  }
  const char byte = traits_type::to_char_type(c);
  return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
}

std::streamsize CHexWriteBuf::xsputn(const char* s, std::streamsize n) {
  // The core's own rendering, piece by piece: ToHex has no separators, so
  // pieces join seamlessly, and a piece bounds the text held at once.
  constexpr std::streamsize kPiece = 64 * 1024;
  std::streamsize done = 0;
  while (done < n) {
    const std::streamsize count = std::min(kPiece, n - done);
    const auto piece =
        NewByteString(s + done, static_cast<std::int32_t>(count));
    if (sink_.sputn(piece->ToHex().get(), 2 * count) != 2 * count) break;
    done += count;
  }
  return done;
}

int CHexWriteBuf::sync() { return sink_.pubsync(); }
