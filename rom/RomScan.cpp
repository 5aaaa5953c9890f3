#include "rom/RomScan.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <string>
#include <vector>

namespace dalvren {

CError ScanRom(std::istream& in, const CRomScanOptions& options,
               const std::function<void(const CRomWindow&)>& visit) {
  const std::size_t block = std::max<std::size_t>(options.block, 1);
  std::vector<unsigned char> buffer(options.before + block + options.after);
  std::size_t filled = 0;
  std::size_t next = 0;
  std::uint64_t offset = 0;
  bool ended = false;
  for (;;) {
    if (!ended) {
      const std::size_t wanted = buffer.size() - filled;
      in.read(reinterpret_cast<char*>(buffer.data() + filled),
              static_cast<std::streamsize>(wanted));
      const auto got = static_cast<std::size_t>(in.gcount());
      filled += got;
      if (got < wanted) {
        if (in.bad()) return CError::Io("the stream reports a read error");
        ended = true;
      }
      if (offset + filled > options.limit) {
        return CError::NoRoom("larger than " + std::to_string(options.limit) +
                              " bytes, the most one search reads");
      }
    }
    // `next` is never beyond `before` here, so until the end of the input
    // the `after` bytes that follow `to` are in the full buffer.
    const std::size_t to = std::min(filled, next + block);
    assert(to > next || ended);
    if (to > next) {
      visit({std::span<const unsigned char>(buffer.data(), filled), offset,
             next, to});
    }
    if (ended && to == filled) return {};
    const std::size_t dropped = to > options.before ? to - options.before : 0;
    std::memmove(buffer.data(), buffer.data() + dropped, filled - dropped);
    filled -= dropped;
    offset += dropped;
    next = to - dropped;
  }
}

CHitBytes HitBytesAt(const CRomWindow& window, std::size_t at,
                     std::size_t length, std::size_t context,
                     std::size_t unit) {
  assert(at + length <= window.bytes.size());
  std::size_t before = std::min(context, at);
  before -= before % unit;
  std::size_t after = std::min(context, window.bytes.size() - (at + length));
  after -= after % unit;
  return {window.offset + at, window.bytes.subspan(at - before, before),
          window.bytes.subspan(at, length),
          window.bytes.subspan(at + length, after)};
}

}  // namespace dalvren
