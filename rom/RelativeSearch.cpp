#include "rom/RelativeSearch.h"

#include <algorithm>
#include <vector>

namespace dalvren {

namespace {

using ByteOrder = CRelativePattern::ByteOrder;

// The first position from `at` on, before `last`, where the anchor's two
// bytes differ as the word's letters there do; `last` when there is none.
// This loop is the whole cost of a search through text-free data.
std::size_t NextCandidate(const unsigned char* bytes, std::size_t at,
                          std::size_t last,
                          const CRelativePattern::Anchor& anchor) {
  const unsigned char* first = bytes + anchor.first;
  const unsigned char* second = bytes + anchor.second;
  const auto difference = static_cast<unsigned char>(anchor.difference);
  while (at < last &&
         static_cast<unsigned char>(second[at] - first[at]) != difference) {
    ++at;
  }
  return at;
}

// The same for units of two bytes, in either order.
std::size_t NextCandidate2(const unsigned char* bytes, std::size_t at,
                           std::size_t last,
                           const CRelativePattern::Anchor& anchor) {
  const unsigned char* first = bytes + anchor.first;
  const unsigned char* second = bytes + anchor.second;
  const std::uint32_t difference = anchor.difference;
  for (; at < last; ++at) {
    const unsigned f0 = first[at];
    const unsigned f1 = first[at + 1];
    const unsigned s0 = second[at];
    const unsigned s1 = second[at + 1];
    const std::uint32_t big = ((s0 << 8 | s1) - (f0 << 8 | f1)) & 0xFFFF;
    const std::uint32_t little = ((s1 << 8 | s0) - (f1 << 8 | f0)) & 0xFFFF;
    if (big == difference || little == difference) break;
  }
  return at;
}

}  // namespace

CError RelativeSearch(std::istream& in, const CRelativePattern& pattern,
                      const CRomSearchOptions& options,
                      const std::function<void(const CRelativeHit&)>& onHit) {
  const std::size_t length = pattern.Length();
  const unsigned width = pattern.Width();
  const CRelativePattern::Anchor anchor = pattern.GetAnchor();
  std::vector<std::uint32_t> bases(pattern.Groups().size());
  const CRomScanOptions scan = {.before = options.context,
                                .after = length - 1 + options.context,
                                .block = options.block,
                                .limit = options.limit};
  const auto visit = [&](const CRomWindow& window) {
    if (window.bytes.size() < length) return;
    const unsigned char* bytes = window.bytes.data();
    const std::size_t last =
        std::min(window.to, window.bytes.size() - length + 1);
    const auto tryOrder = [&](std::size_t at, ByteOrder order) {
      if (!pattern.Matches(bytes + at, order, bases)) return;
      onHit({HitBytesAt(window, at, length, options.context, width), order,
             bases});
    };
    for (std::size_t at = window.from;; ++at) {
      at = width == 1 ? NextCandidate(bytes, at, last, anchor)
                      : NextCandidate2(bytes, at, last, anchor);
      if (at >= last) break;
      tryOrder(at, ByteOrder::kBig);
      if (width == 2) tryOrder(at, ByteOrder::kLittle);
    }
  };
  return ScanRom(in, scan, visit);
}

}  // namespace dalvren
