// The heap a benchmark's code holds, from the allocator's own accounting.
#pragma once

#include <algorithm>
#include <cstddef>
#include <malloc.h>
#include <streambuf>

namespace dalvren::bench {

// The bytes of heap in use now.
inline std::size_t HeapInUse() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

// Discards what is written to it, noting the heap in use whenever output
// arrives: code that writes as it goes is measured at its peak when it holds
// the most, which is when it hands output on.
class CHeapProbe : public std::streambuf {
 public:
  std::size_t peak = 0;

 protected:
  int_type overflow(int_type c) override {
    peak = std::max(peak, HeapInUse());
    return traits_type::not_eof(c);
  }
  std::streamsize xsputn(const char*, std::streamsize n) override {
    peak = std::max(peak, HeapInUse());
    return n;
  }
};

}  // namespace dalvren::bench
