// Relative search: finding a word in a ROM image before any table exists,
// by the differences between its letters' codes (rom/RelativePattern.h).
#pragma once

#include <cstdint>
#include <functional>
#include <istream>
#include <span>

#include "core/Error.h"
#include "rom/RelativePattern.h"
#include "rom/RomScan.h"

namespace dalvren {

struct CRelativeHit {
  CHitBytes bytes;
  CRelativePattern::ByteOrder order = CRelativePattern::ByteOrder::kBig;
  // For each group of the pattern, the code of its alphabet's first letter
  // that the hit implies (CRelativePattern::Matches).
  std::span<const std::uint32_t> bases;
};

// Reads the image from `in` in one pass and calls `onHit` for every hit of
// `pattern`: every offset, aligned or not, where its bytes hold the word,
// in offset order, and at one offset in big-endian order before
// little-endian (width 2 tries both). The hit's context is
// `options.context` bytes on each side, cut to whole units; the bytes and
// `bases` are valid only during the call. Memory: one window of
// options.block bytes plus the word and twice the context. Fails as
// ScanRom does.
[[nodiscard]] CError RelativeSearch(
    std::istream& in, const CRelativePattern& pattern,
    const CRomSearchOptions& options,
    const std::function<void(const CRelativeHit&)>& onHit);

}  // namespace dalvren
