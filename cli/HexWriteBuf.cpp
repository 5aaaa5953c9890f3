#include "cli/HexWriteBuf.h"

#include <algorithm>

#include "core/HexCodec.h"

namespace dalvren {

CHexWriteBuf::CHexWriteBuf(std::streambuf& sink) : sink_(sink) {}

std::streamsize CHexWriteBuf::xsputn(const char* s, std::streamsize n) {
  // Rendered piece by piece into a buffer of its own: a stream swallows what
  // its buffer throws and only marks itself bad, so an allocation failing
  // here would cut the output short without anyone noticing.
  constexpr std::streamsize kPiece = std::streamsize{4} * 1024;
  char text[2 * kPiece];
  std::streamsize done = 0;
  while (done < n) {
    const std::streamsize count = std::min(kPiece, n - done);
    WriteHex({reinterpret_cast<const unsigned char*>(s + done),
              static_cast<std::size_t>(count)},
             text);
    if (sink_.sputn(text, 2 * count) != 2 * count) break;
    done += count;
  }
  return done;
}

int CHexWriteBuf::sync() { return sink_.pubsync(); }

}  // namespace dalvren
