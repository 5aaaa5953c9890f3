// Reading a ROM image from a stream a window at a time, so that a search
// over an image of any size takes memory for one window only, and shows the
// bytes around each hit without a second pass over the image.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <istream>
#include <span>

#include "core/Error.h"

namespace dalvren {

struct CRomScanOptions {
  // Bytes each window keeps before its first position and after its last
  // (fewer only at the start and the end of the image).
  std::size_t before = 0;
  std::size_t after = 0;
  // Positions per window; 0 counts as 1.
  std::size_t block = std::size_t{1} << 20;
  // The most bytes the image may hold.
  std::uint64_t limit = UINT64_MAX;
};

// One window of the image: `bytes` are the image's bytes from `offset` on,
// and the positions to look at are bytes[from] to bytes[to - 1]. `bytes`
// holds min(before, offset + from) bytes before `from`, and after `to` the
// `after` bytes that follow in the image, or all of them when fewer do.
struct CRomWindow {
  std::span<const unsigned char> bytes;
  std::uint64_t offset = 0;
  std::size_t from = 0;
  std::size_t to = 0;
};

// Reads `in` to its end and calls `visit` with windows whose positions
// cover every byte of the image once, in order. Memory: before + block +
// after bytes. Fails with kIo when the stream reports a read error (a
// stream that hides its errors as the end of the input must be asked
// afterwards), and with kNoRoom as soon as the image has more than `limit`
// bytes; the windows before the failure have been visited then.
[[nodiscard]] CError ScanRom(
    std::istream& in, const CRomScanOptions& options,
    const std::function<void(const CRomWindow&)>& visit);

// What a search over a ROM image takes besides what it looks for.
struct CRomSearchOptions {
  // Bytes of context shown before and after each hit.
  std::size_t context = 32;
  // The most bytes the image may hold, and the positions per window
  // (CRomScanOptions).
  std::uint64_t limit = UINT64_MAX;
  std::size_t block = std::size_t{1} << 20;
};

// The bytes of one hit of a search and of its context: up to `context`
// bytes before it and after it, as the search's window holds them.
struct CHitBytes {
  // Where the hit starts in the image.
  std::uint64_t offset = 0;
  std::span<const unsigned char> before;
  std::span<const unsigned char> match;
  std::span<const unsigned char> after;
};

// The bytes of a hit of `length` bytes at `at` in `window`, with up to
// `context` bytes on each side, each side cut to a multiple of `unit`
// bytes. The window must hold the whole hit.
[[nodiscard]] CHitBytes HitBytesAt(const CRomWindow& window, std::size_t at,
                                   std::size_t length, std::size_t context,
                                   std::size_t unit = 1);

}  // namespace dalvren
